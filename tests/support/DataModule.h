#pragma once

// The data module a test's window or sheet talks through, its classroom proxy set up.
#include <QAnyStringView>
#include <memory>

#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

inline std::unique_ptr<TstudyDM> dataModule(const ClientConfig& config) {
    auto dm = std::make_unique<TstudyDM>(config);
    dm->SetUpClassroomProxy();
    return dm;
}

// Only the classroom server (and, when given, the question server) named.
inline std::unique_ptr<TstudyDM> dataModule(QAnyStringView classroomHost, QAnyStringView questionHost = {}) {
    ClientConfig config;
    config.classroomHost = classroomHost.toString();
    if (!questionHost.isEmpty()) config.questionHost = questionHost.toString();
    return dataModule(config);
}
