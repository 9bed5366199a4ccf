#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The SOAP 1.1 document/literal (wrapped) message format, without any transport: building a
// request body and reading the result out of a response body. All text here is UTF-8.
namespace soap {

using Parameters = std::vector<std::pair<std::string, std::string>>;  // name, value; in order

// `text` as XML character data or an attribute value: markup characters and carriage returns
// (which the receiving parser would normalise away) as references.
std::string escapeText(std::string_view text);

std::string buildRequest(const std::string& serviceNamespace, const std::string& operation,
                         const Parameters& parameters);

// Returns the text of the first child element of <operation>Response. Raises SoapFault with
// the fault string when the body holds a fault, SoapError with the parser's message when the
// envelope cannot be read or has no such element.
std::string readResult(const std::string& responseBody, const std::string& operation);

// The same for an operation whose result is a byte array: the result text is base64, white
// space inside it allowed. Raises as readResult does, and SoapError when it is not base64.
std::string readBytesResult(const std::string& responseBody, const std::string& operation);

}  // namespace soap
