#pragma once

#include <exception>
#include <utility>

namespace vellumora {

// Runs steps that must all run although one of them fails: the first error is kept, and passed
// on by Rethrow once every step has had its turn.
class FirstFailure {
public:
    template <class Step>
    void Run(Step&& step)
    {
        try {
            std::forward<Step>(step)();
        } catch (...) {
            if (!failure_)
                failure_ = std::current_exception();
        }
    }

    void Rethrow() const
    {
        if (failure_)
            std::rethrow_exception(failure_);
    }

private:
    std::exception_ptr failure_;
};

} // namespace vellumora
