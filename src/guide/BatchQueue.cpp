#include "guide/BatchQueue.h"

namespace quorvel::guide {

BatchQueue::BatchQueue(std::size_t batches) {
    for (std::size_t i = 0; i < batches; ++i)
        m_empty.push_back(std::make_unique<GuideBatch>());
}

std::unique_ptr<GuideBatch> BatchQueue::Empty() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_aborted || !m_empty.empty(); });
    if (m_aborted)
        return nullptr;
    auto batch = std::move(m_empty.back());
    m_empty.pop_back();
    batch->Clear();
    return batch;
}

void BatchQueue::PushFull(std::unique_ptr<GuideBatch> batch) {
    {
        std::lock_guard lock(m_mutex);
        m_full.push_back(std::move(batch));
    }
    m_changed.notify_all();
}

void BatchQueue::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

std::unique_ptr<GuideBatch> BatchQueue::PopFull() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_aborted || m_closed || !m_full.empty(); });
    if (m_aborted || m_full.empty())
        return nullptr;
    auto batch = std::move(m_full.front());
    m_full.pop_front();
    return batch;
}

void BatchQueue::Recycle(std::unique_ptr<GuideBatch> batch) {
    {
        std::lock_guard lock(m_mutex);
        m_empty.push_back(std::move(batch));
    }
    m_changed.notify_all();
}

void BatchQueue::Abort() {
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
    }
    m_changed.notify_all();
}

}  // namespace quorvel::guide
