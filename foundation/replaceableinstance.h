#pragma once

#include <atomic>

// One process-wide instance of `T` (a default-constructed real one) that a test
// can replace with setInstance(); nullptr restores the real one. Takes no
// ownership. `T` derives from ReplaceableInstance<T>.
template<typename T>
class ReplaceableInstance
{
public:
    static T *instance()
    {
        static T real;
        T *current = replacement().load();
        return current ? current : &real;
    }
    static void setInstance(T *replacing) { replacement().store(replacing); }

private:
    static std::atomic<T *> &replacement()
    {
        static std::atomic<T *> current { nullptr };
        return current;
    }
};
