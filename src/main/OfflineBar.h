#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class QWidget;
class HTTPRIOLmvInClass;

// The top bar's way into and out of working offline. When a service call cannot reach the
// service, "离线上课" is offered once the call's own failure was shown; choosing it makes the
// proxy answer from the replies it kept, shows "离线" and, while offline, keeps asking in the
// background whether the service answers again: then "恢复在线" is offered to leave the mode.
//
// The controls are children of `panel`; the proxy is borrowed and must outlive the bar. The
// probe runs on a thread of its own and must touch nothing of the window: it owns all it uses,
// for a probe still waiting on a silent network when the window closes is left to end alone.
class OfflineBar : public QObject {
    Q_OBJECT

public:
    using ServiceProbe = std::function<bool()>;

    // `left`, `top`: where the controls go in `panel`.
    OfflineBar(QWidget* panel, int left, int top, HTTPRIOLmvInClass& service, ServiceProbe probe);
    ~OfflineBar() override;

    bool offline() const;
    void EnterOffline();
    void LeaveOffline();

    // How often the service is asked while offline.
    static constexpr int kProbeIntervalMs = 2000;

    QPushButton* btnOffline = nullptr;
    QLabel* lblOffline = nullptr;
    QPushButton* btnOnline = nullptr;

private:
    struct ProbeAnswer;

    void OfferOffline();
    void AskService();

    HTTPRIOLmvInClass& service_;
    std::function<bool()> probe_;
    QTimer* probeTimer_ = nullptr;
    // Shared with the probe's thread, which may outlive the bar.
    std::shared_ptr<ProbeAnswer> probing_;
};
