#include "output/TemporaryFile.h"

#include <QFile>

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

static_assert(std::atomic<char*>::is_always_lock_free, "the signal handler needs lock-free slots");

// Slots in blocks that are chained on demand and never freed, so the handler can walk them at any
// moment. An empty slot holds nullptr; a taken one a path of its own, allocated with strdup.
constexpr int kSlotsPerBlock = 64;

struct SlotBlock {
    std::atomic<char*> entries[kSlotsPerBlock];
    std::atomic<SlotBlock*> next;
};

SlotBlock g_firstBlock;

SlotBlock* nextBlock(SlotBlock* block) {
    SlotBlock* next = block->next.load();
    if (next)
        return next;
    auto* fresh = new SlotBlock{};
    if (block->next.compare_exchange_strong(next, fresh))
        return fresh;
    delete fresh;
    return next;
}

std::atomic<char*>* takeSlot(char* path) {
    for (SlotBlock* block = &g_firstBlock;; block = nextBlock(block)) {
        for (std::atomic<char*>& slot : block->entries) {
            char* empty = nullptr;
            if (slot.compare_exchange_strong(empty, path))
                return &slot;
        }
    }
}

} // namespace

TemporaryFile::~TemporaryFile() {
    remove();
}

void TemporaryFile::claim(const QString& path) {
    remove();
    m_path = path;
    m_registered = strdup(QFile::encodeName(path).constData());
    m_slot = takeSlot(m_registered);
}

void TemporaryFile::remove() {
    if (!m_slot)
        return;
    QFile::remove(m_path);
    keep();
}

void TemporaryFile::keep() {
    if (!m_slot)
        return;
    // When the handler has taken the path meanwhile, it owns it.
    char* expected = m_registered;
    if (m_slot->compare_exchange_strong(expected, nullptr))
        free(m_registered);
    m_slot = nullptr;
    m_registered = nullptr;
}

void TemporaryFile::removeAllRegistered() noexcept {
    for (SlotBlock* block = &g_firstBlock; block; block = block->next.load()) {
        for (std::atomic<char*>& slot : block->entries) {
            if (const char* path = slot.exchange(nullptr))
                unlink(path);
        }
    }
}
