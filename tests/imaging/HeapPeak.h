#pragma once
// The most heap memory held at once while a HeapPeak lives, counted through the
// address sanitizer's allocation hooks (so it works under that sanitizer, where
// a limit on the address space cannot be used). Elsewhere available() is false.

#include <atomic>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LEAFMARK_HEAP_HOOKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LEAFMARK_HEAP_HOOKS 1
#endif

#ifdef LEAFMARK_HEAP_HOOKS
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

class HeapPeak {
  public:
    static bool available() {
#ifdef LEAFMARK_HEAP_HOOKS
        static const bool installed =
            __sanitizer_install_malloc_and_free_hooks(&onMalloc, &onFree) != 0;
        return installed;
#else
        return false;
#endif
    }
    HeapPeak() {
        available();
        base() = current().load();
        peak() = base();
    }
    // Bytes above what was held when the HeapPeak was made.
    std::size_t bytes() const { return peak().load() - base(); }

  private:
    static std::atomic<std::size_t>& current() {
        static std::atomic<std::size_t> c{0};
        return c;
    }
    static std::atomic<std::size_t>& peak() {
        static std::atomic<std::size_t> p{0};
        return p;
    }
    static std::size_t& base() {
        static std::size_t b = 0;
        return b;
    }
#ifdef LEAFMARK_HEAP_HOOKS
    static void onMalloc(const volatile void*, std::size_t size) {
        const std::size_t now = current().fetch_add(size) + size;
        std::size_t seen = peak().load();
        while (now > seen && !peak().compare_exchange_weak(seen, now)) {
        }
    }
    static void onFree(const volatile void* p) {
        current().fetch_sub(__sanitizer_get_allocated_size(p));
    }
#endif
};
