#include "TstudyDM.h"

TstudyDM::TstudyDM(const ClientConfig& config)
    : HTTPRIOLmvInClass_(config.serviceNamespace.toStdString()), config_(config) {
    HTTPRIOLmvInClass_.setHttpClient(config.httpClient());
    HTTPRIOLmvInClass_.setReplyStore(&Replies);
}

void TstudyDM::SetUpClassroomProxy() {
    HTTPRIOLmvInClass_.setURL(config_.classroomEndpoint().toStdString());
    HTTPRIOLmvInClass_.setUseUtf8InHeader(true);
}
