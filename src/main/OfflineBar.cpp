#include "OfflineBar.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <thread>

#include "look/Look.h"
#include "service/HTTPRIOLmvInClass.h"

struct OfflineBar::ProbeAnswer {
    std::atomic<bool> done{false};
    std::atomic<bool> answered{false};
};

OfflineBar::OfflineBar(QWidget* panel, int left, int top, HTTPRIOLmvInClass& service, ServiceProbe probe)
    : QObject(panel), service_(service), probe_(std::move(probe)) {
    btnOffline = place<QPushButton>(panel, "btnOffline", left, top, 100, 22);
    btnOffline->setText(QStringLiteral("离线上课"));
    lblOffline = place<QLabel>(panel, "lblOffline", left, top + 3, 34, 17);
    lblOffline->setText(QStringLiteral("离线"));
    lblOffline->setToolTip(QStringLiteral("无法连接服务器，正在使用已下载的内容"));
    lblOffline->setAccessibleDescription(lblOffline->toolTip());
    paintText(lblOffline, Qt::red);
    btnOnline = place<QPushButton>(panel, "btnOnline", left + 36, top, 80, 22);
    btnOnline->setText(QStringLiteral("恢复在线"));
    for (QWidget* control : {static_cast<QWidget*>(btnOffline), static_cast<QWidget*>(lblOffline),
                             static_cast<QWidget*>(btnOnline)}) {
        control->setFont(pixelFont(12, Weight::Bold));
        control->hide();
    }

    probeTimer_ = new QTimer(this);
    probeTimer_->setInterval(kProbeIntervalMs);
    connect(probeTimer_, &QTimer::timeout, this, &OfflineBar::AskService);
    connect(btnOffline, &QPushButton::clicked, this, &OfflineBar::EnterOffline);
    connect(btnOnline, &QPushButton::clicked, this, &OfflineBar::LeaveOffline);
    service_.setUnreachableHandler([this] {
        // The call's own failure is shown first, in a box that runs its own event loop: the
        // offer comes behind it.
        QTimer::singleShot(0, this, &OfflineBar::OfferOffline);
    });
}

OfflineBar::~OfflineBar() {
    service_.setUnreachableHandler({});
    // A probe still running ends by its own time-outs, with its own copy of the probe; closing
    // the window does not wait for a network that does not answer.
}

bool OfflineBar::offline() const {
    return service_.offline();
}

void OfflineBar::OfferOffline() {
    if (offline()) return;
    btnOffline->show();
}

void OfflineBar::EnterOffline() {
    // The proxy may be offline already: a start without the service sets it before the window.
    service_.setOffline(true);
    btnOffline->hide();
    btnOnline->hide();
    lblOffline->show();
    probeTimer_->start();
}

void OfflineBar::LeaveOffline() {
    probeTimer_->stop();
    lblOffline->hide();
    btnOnline->hide();
    service_.setOffline(false);
}

void OfflineBar::AskService() {
    if (probing_) {
        if (!probing_->done.load(std::memory_order_acquire)) return;
        btnOnline->setVisible(probing_->answered.load() && offline());
        probing_.reset();
    }
    if (!offline()) return;
    auto answer = std::make_shared<ProbeAnswer>();
    std::thread([probe = probe_, answer] {
        // Nobody is left to catch on this thread: a probe that raises had no answer.
        try {
            answer->answered = probe();
        } catch (...) {
        }
        answer->done.store(true, std::memory_order_release);
    }).detach();
    probing_ = std::move(answer);
}
