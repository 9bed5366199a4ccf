#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "DataModule.h"
#include "DemoService.h"

// The demo service on a folder of the test's own, whose data sets and faults stand in for the
// built-in ones, and the data module a window talks to it through. Members, so that a test's own
// window or sheets (declared in the test) go before the service they talk to.
struct DemoServiceFixture {
    QTemporaryDir overrides_;
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;

    // Starts on the overrides written so far.
    void startDemoService() {
        service_ = std::make_unique<DemoService>(QStringList{overrides_.path()});
        dm_ = dataModule(service_->clientConfig());
    }
};
