// A second start of the program in a thread of its own, while this
// thread's event loop serves the first instance, as two processes would:
// the second start waits for the first to answer.
#pragma once

#include <QTest>
#include <chrono>
#include <future>

#include "app/SingleInstance.h"

namespace kestrin {

inline TSingleInstance::TStart SecondStart(const QString& name, const TInstancePlace& place,
                                           const QString& openPath = {}) {
  std::future<TSingleInstance::TStart> start = std::async(std::launch::async, [&] {
    TSingleInstance second(name, place);
    return second.Start(openPath);
  });
  (void)QTest::qWaitFor([&] { return start.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                        3 * TSingleInstance::kHandOverMs);
  return start.get();
}

}  // namespace kestrin
