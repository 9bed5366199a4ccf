#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "SampleStore.h"

// The homework and question pages of the classroom API and question page servers, made from
// the sample rows: a homework as a PDF document, its class feedback, a test paper and a
// question as HTML. An id that no sample row carries gives nothing (the caller answers 404).
// Every sample value is escaped before it reaches markup. Thread-safe.
class DocumentPages {
public:
    explicit DocumentPages(const SampleStore& store);

    std::optional<std::string> homeworkPdf(const std::string& homeworkId, const std::string& userId);
    std::optional<std::string> classFeedback(const std::string& homeworkId) const;
    std::optional<std::string> testPaper(const std::string& sourceId, const std::string& userId) const;
    std::optional<std::string> question(const std::string& questionId) const;

private:
    // The first row of any dataset file of the operation whose attribute equals the value.
    std::optional<SampleDataset::Row> findRow(const std::string& operation, const std::string& attribute,
                                              const std::string& value) const;

    const SampleStore& store_;
    std::mutex pdfMutex_;
};
