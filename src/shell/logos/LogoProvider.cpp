#include "shell/logos/LogoProvider.h"

namespace quorvel {
namespace {

// A missing logo is remembered for the session; past this many the memory starts afresh.
constexpr std::size_t kMaxMissing = 50'000;

std::string KeyOf(const std::string& address, QSize box, LogoFit fit) {
    return std::to_string(box.width()) + "x" + std::to_string(box.height()) +
           (fit == LogoFit::Padded ? "p " : "t ") + address;
}

}  // namespace

LogoProvider::LogoProvider(LogoFetcher::Options options, QObject* parent) : QObject(parent) {
    m_fetcher = std::make_unique<LogoFetcher>(
        std::move(options), [this](const std::string& address, LogoOutcome outcome,
                                   std::string bytes) { Delivered(address, outcome, bytes); });
}

LogoProvider::~LogoProvider() {
    m_fetcher.reset();
}

const LogoProvider::Held* LogoProvider::Find(const std::string& address, QSize box, LogoFit fit) {
    const auto it = m_lru.find(KeyOf(address, box, fit));
    if (it == m_lru.end())
        return nullptr;
    m_lruOrder.splice(m_lruOrder.begin(), m_lruOrder, it->second);
    return &it->second->second;
}

QPixmap LogoProvider::ListLogo(const std::string& address, QSize box) {
    if (const Held* held = Find(address, box, LogoFit::Padded))
        return held->pixmap;
    Ask(address, box, LogoFit::Padded);
    return {};
}

QImage LogoProvider::Logo(const std::string& address, QSize box) {
    if (const Held* held = Find(address, box, LogoFit::Tight))
        return held->image;
    Ask(address, box, LogoFit::Tight);
    return {};
}

void LogoProvider::Ask(const std::string& address, QSize box, LogoFit fit) {
    if (address.empty() || m_missing.count(address))
        return;
    {
        const std::lock_guard lock(m_boxesMutex);
        auto& boxes = m_boxes[address];
        const std::pair<QSize, LogoFit> wanted{box, fit};
        if (std::find(boxes.begin(), boxes.end(), wanted) == boxes.end())
            boxes.push_back(wanted);
    }
    if (m_pending.insert(address).second)
        m_fetcher->Request(address);
}

void LogoProvider::Retain(const std::unordered_set<std::string>& wanted) {
    m_fetcher->Retain([this, &wanted](const std::string& address) {
        return address == m_kept || wanted.count(address) > 0;
    });
}

void LogoProvider::Delivered(const std::string& address, LogoOutcome outcome,
                             const std::string& bytes) {
    std::vector<Fitted> fitted;
    if (outcome == LogoOutcome::Image) {
        std::vector<std::pair<QSize, LogoFit>> boxes;
        {
            const std::lock_guard lock(m_boxesMutex);
            if (const auto it = m_boxes.find(address); it != m_boxes.end())
                boxes = it->second;
        }
        const QImage image = DecodeLogo(bytes);
        if (image.isNull()) {
            // Not a picture after all: asked again in a day, not at every scroll.
            m_fetcher->Refuse(address);
            outcome = LogoOutcome::None;
        } else {
            for (const auto& [box, fit] : boxes)
                fitted.push_back({box, fit, FitLogo(image, box, fit)});
        }
    }
    QMetaObject::invokeMethod(
        this,
        [this, address, outcome, fitted = std::move(fitted)]() mutable {
            Arrived(address, outcome, std::move(fitted));
        },
        Qt::QueuedConnection);
}

void LogoProvider::Arrived(const std::string& address, LogoOutcome outcome,
                           std::vector<Fitted> fitted) {
    m_pending.erase(address);
    {
        const std::lock_guard lock(m_boxesMutex);
        m_boxes.erase(address);
    }
    if (outcome == LogoOutcome::Cancelled)
        return;
    if (outcome == LogoOutcome::None) {
        if (m_missing.size() >= kMaxMissing)
            m_missing.clear();
        m_missing.insert(address);
        Q_EMIT LogoMissing(QString::fromStdString(address));
        return;
    }
    if (fitted.empty()) {
        // A newer logo after the copy already shown (its check a week on): the sizes held go,
        // and the next paint asks again, for the new copy.
        for (auto it = m_lruOrder.begin(); it != m_lruOrder.end();) {
            if (it->first.compare(it->first.find(' ') + 1, std::string::npos, address) == 0) {
                m_lru.erase(it->first);
                it = m_lruOrder.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Fitted& one : fitted) {
        Key key = KeyOf(address, one.box, one.fit);
        Held held;
        if (one.fit == LogoFit::Padded)
            held.pixmap = QPixmap::fromImage(one.image);
        held.image = std::move(one.image);
        if (const auto it = m_lru.find(key); it != m_lru.end()) {
            it->second->second = std::move(held);
            m_lruOrder.splice(m_lruOrder.begin(), m_lruOrder, it->second);
            continue;
        }
        m_lruOrder.emplace_front(key, std::move(held));
        m_lru.emplace(std::move(key), m_lruOrder.begin());
        if (m_lru.size() > kMemoryLogos) {
            m_lru.erase(m_lruOrder.back().first);
            m_lruOrder.pop_back();
        }
    }
    if (m_changeQueued)
        return;
    m_changeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_changeQueued = false;
            Q_EMIT LogosChanged();
        },
        Qt::QueuedConnection);
}

}  // namespace quorvel
