#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

namespace pintora {

// Tells when a system tray may have come, without a clock: on X11 a tray
// that takes its selection announces itself with a MANAGER message to the
// root window, which Qt's own connection already listens to. Elsewhere it
// never fires (Qt decides at launch whether a D-Bus tray exists).
class TrayArrival : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit TrayArrival(QObject *parent = nullptr);
    ~TrayArrival() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // A manager of some selection announced itself: perhaps a tray.
    void announced();

private:
    std::uint32_t m_manager = 0; // the MANAGER atom; 0 away from X11
};

} // namespace pintora
