#pragma once

#include <QMetaObject>
#include <QObject>

#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

namespace pintora {

// Runs `work` on a thread of its own and hands its result to `then` on the
// thread of `context`, through its event loop, unless `context` is gone by
// then: nothing waits for the work, and it may outlive whoever asked for it.
// When no thread can be started, the work runs here and `then` is called at
// once. `work` must not throw.
template <typename Work, typename Then>
void inBackground(QObject *context, Work work, Then then)
{
    // Whether `context` still listens, told under a lock that its going
    // takes too, so that no result is posted to it once it went.
    struct Listener {
        std::mutex lock;
        QObject *context;
    };
    auto listener = std::make_shared<Listener>();
    listener->context = context;
    QObject::connect(context, &QObject::destroyed, [listener] {
        const std::lock_guard<std::mutex> hold(listener->lock);
        listener->context = nullptr;
    });
    try {
        // A copy of the work: should the thread not start, it runs here.
        std::thread([listener, work, then]() mutable {
            auto result = work();
            const std::lock_guard<std::mutex> hold(listener->lock);
            // The lock taken again where the result arrives orders the
            // work's writes before every read there by a lock of our own, not
            // only by Qt's event queue, which a thread checker cannot see.
            if (listener->context)
                QMetaObject::invokeMethod(
                    listener->context,
                    [listener, then, result]() mutable {
                        {
                            const std::lock_guard<std::mutex> arrived(listener->lock);
                        }
                        then(std::move(result));
                    },
                    Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error &) {
        then(work());
    } catch (const std::bad_alloc &) {
        then(work());
    }
}

} // namespace pintora
