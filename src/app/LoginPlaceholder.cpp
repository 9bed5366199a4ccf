#include "LoginPlaceholder.h"

#include <QLabel>
#include <QVBoxLayout>

#include "WindowRegistry.h"
#include "service/TstudyDM.h"

namespace {
// The number other programs send to bring the login window forward.
constexpr int kBringForwardMessage = 5120;
}  // namespace

LoginPlaceholder::LoginPlaceholder(TstudyDM& dm, QWidget* parent)
    : QWidget(parent), dm_(dm), registry_(new WindowRegistry(windowClassName(), this)) {
    setWindowTitle(QStringLiteral("Lumovia-登录"));
    setAttribute(Qt::WA_QuitOnClose, true);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Lumovia Class"), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    resize(426, 136);
    connect(registry_, &WindowRegistry::messageReceived, this, [this](int message) {
        if (message == kBringForwardMessage) bringForward();
    });
}

QString LoginPlaceholder::windowClassName() {
    return QStringLiteral("QO-RO Editing Tool");
}

void LoginPlaceholder::bringForward() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}
