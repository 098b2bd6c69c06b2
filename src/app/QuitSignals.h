#pragma once

#include <QObject>

class QSocketNotifier;

namespace pintora {

// Turns SIGTERM, SIGINT and SIGHUP (logout, Control-C, a closed terminal)
// into a signal on the event loop, so that the program ends as its Quit
// does: Qt then hands the clipboard's content to a clipboard manager instead
// of it vanishing with the process.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    // One per process.
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void received(int signalNumber);

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace pintora
