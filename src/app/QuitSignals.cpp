#include "app/QuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace pintora {
namespace {

// The handler may only write to a descriptor; the event loop reads the other end.
int wakeUp[2] = {-1, -1};
constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signalNumber)
{
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[0], &number, 1);
}

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(wakeUp[0] == -1);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeUp) != 0)
        return;
    m_notifier = new QSocketNotifier(wakeUp[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        if (::read(wakeUp[1], &number, 1) == 1)
            emit received(number);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : quitSignals)
        sigaction(signalNumber, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    for (int signalNumber : quitSignals)
        std::signal(signalNumber, SIG_DFL);
    if (wakeUp[0] != -1) {
        ::close(wakeUp[0]);
        ::close(wakeUp[1]);
        wakeUp[0] = wakeUp[1] = -1;
    }
}

} // namespace pintora
