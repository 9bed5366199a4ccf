#pragma once

#include "service/GbkText.h"

// The signed-in member, copied by value. UserId is what every later service call passes;
// TypeId (decimal text) decides the path after sign-in; the other fields are carried along.
struct MemberInfoRec {
    GbkString UserId;
    GbkString Passwd;
    GbkString TypeId;
    GbkString LastName;
    GbkString FirstName;
    GbkString Grade;
    GbkString SyllabusId;
    GbkString Email;
    GbkString Phone;
};

// Reads the member from a LmvInclass_LogOn reply: the first row of the dataset, with the user
// type taken from `typeAttribute` ("typeid" for the direct sign-in, "usertypeid" for the login
// dialog). Each field is read by itself, so a missing row or attribute only empties its own
// field. An empty document shows "empty" and gives an empty record; a reply that is not XML
// raises XmlParseError.
MemberInfoRec ReadMemberInfo(const GbkString& reply, const char* typeAttribute);
