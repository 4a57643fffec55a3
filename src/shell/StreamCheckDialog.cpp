#include "shell/StreamCheckDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "threads/ThreadEdge.h"

namespace quorvel {

StreamCheckDialog::StreamCheckDialog(std::vector<std::string> addresses, CheckOptions options,
                                     QWidget* parent)
    : QDialog(parent), m_addresses(std::move(addresses)), m_checker(options) {
    setWindowTitle(tr("Check Streams"));
    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, static_cast<int>(m_addresses.size()));
    m_cancel = new QPushButton(tr("Cancel"), this);
    connect(m_cancel, &QPushButton::clicked, this, &StreamCheckDialog::Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    resize(420, sizeHint().height());
    ShowProgress();
}

StreamCheckDialog::~StreamCheckDialog() {
    m_checker.Cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void StreamCheckDialog::Start() {
    if (m_worker.joinable())
        return;
    m_worker = std::thread([this] {
        RunAtThreadEdge(
            [this] {
                CheckReport report =
                    m_checker.Check(m_addresses, [this](std::size_t, const ProbeResult& r) {
                        const bool failed = Failed(r.status);
                        // Runs later on the GUI thread; dropped if the window is gone by then.
                        QMetaObject::invokeMethod(
                            this,
                            [this, failed] {
                                ++m_known;
                                m_failed += failed ? 1 : 0;
                                ShowProgress();
                            },
                            Qt::QueuedConnection);
                    });
                QMetaObject::invokeMethod(
                    this,
                    [this, report = std::move(report)]() mutable {
                        m_report = std::move(report);
                        Done();
                    },
                    Qt::QueuedConnection);
            },
            [this](const std::string& reason) {
                QMetaObject::invokeMethod(
                    this,
                    [this, reason = QString::fromStdString(reason)] {
                        m_failure = tr("The check broke off: %1").arg(reason);
                        Done();
                    },
                    Qt::QueuedConnection);
            });
    });
}

void StreamCheckDialog::Cancel() {
    m_checker.Cancel();
    m_cancel->setEnabled(false);
    m_label->setText(tr("Cancelling..."));
}

void StreamCheckDialog::reject() {
    if (Running())
        Cancel();
    else
        QDialog::reject();
}

void StreamCheckDialog::ShowProgress() {
    m_bar->setValue(m_known);
    m_label->setText(tr("Checked %1 of %2 streams, %3 without answer")
                         .arg(m_known)
                         .arg(m_addresses.size())
                         .arg(m_failed));
}

void StreamCheckDialog::Done() {
    if (m_worker.joinable())
        m_worker.join();
    m_cancel->setEnabled(false);
    accept();  // hidden first, so that a question about the result stands alone
    Q_EMIT Finished();
}

}  // namespace quorvel
