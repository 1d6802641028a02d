// CFixedPool: equal-sized blocks for objects that are made and destroyed by the hundred
// thousand, such as the nodes of a parsed document. Blocks are carved from 64 KB slabs that are
// kept for reuse and never given back to the system, so a block may be freed on any thread:
// it joins that thread's free list. Each thread has its own list, so no lock is taken.
// Under AddressSanitizer the pool steps aside, so that the sanitizer sees every block.
#pragma once

#include <cstddef>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TBOOK_POOL_BYPASS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TBOOK_POOL_BYPASS 1
#endif

template <size_t kSize>
class CFixedPool {
public:
    static void* Allocate() {
#ifdef TBOOK_POOL_BYPASS
        return ::operator new(kSize);
#else
        State& state = s_state;
        if (state.pFree) {
            Block* p = state.pFree;
            state.pFree = p->pNext;
            return p;
        }
        if (state.pCursor == state.pEnd) {
            state.pCursor = static_cast<char*>(::operator new(kSlabSize));
            state.pEnd = state.pCursor + kSlabSize / kBlockSize * kBlockSize;
        }
        void* p = state.pCursor;
        state.pCursor += kBlockSize;
        return p;
#endif
    }

    static void Free(void* p) {
#ifdef TBOOK_POOL_BYPASS
        ::operator delete(p);
#else
        if (p) {
            Block* pBlock = static_cast<Block*>(p);
            pBlock->pNext = s_state.pFree;
            s_state.pFree = pBlock;
        }
#endif
    }

private:
    struct Block {
        Block* pNext;
    };
    static constexpr size_t kAlign = alignof(std::max_align_t);
    static constexpr size_t kUnaligned = kSize < sizeof(Block) ? sizeof(Block) : kSize;
    static constexpr size_t kBlockSize = (kUnaligned + kAlign - 1) / kAlign * kAlign;
    static constexpr size_t kSlabSize = 64 * 1024;
    struct State {
        Block* pFree = nullptr;
        char* pCursor = nullptr;
        char* pEnd = nullptr;
    };
    static thread_local State s_state;
};

template <size_t kSize>
thread_local typename CFixedPool<kSize>::State CFixedPool<kSize>::s_state;
