#pragma once

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace velk::test {

// Runs call on a thread of its own and gives its result, or nothing when it has not returned within
// the limit, so a call that would block for ever fails its test instead of hanging the run. Such a
// thread is left behind; call must then own what it uses.
template <class Call>
auto resultWithin(std::chrono::seconds limit, Call call) -> std::optional<decltype(call())> {
    using Result = decltype(call());
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> future = promise->get_future();
    std::thread([promise, call]() mutable { promise->set_value(call()); }).detach();
    if (future.wait_for(limit) != std::future_status::ready) {
        return std::nullopt;
    }
    return future.get();
}

}  // namespace velk::test
