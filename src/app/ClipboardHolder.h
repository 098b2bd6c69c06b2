#pragma once

#include "ui/Clipboard.h"

#include <QString>

namespace pintora {

// Where no clipboard manager runs, a Wayland clipboard dies with its owner.
// Hands `image` to `program` (wl-copy, from wl-clipboard), which serves it
// from the background after Pintora has quit. Returns why it could not, or
// nothing. Waits at most `timeoutMs` for the program to take the bytes.
QString handClipboardToHolder(const ClipboardImage &image, const QString &program = QStringLiteral("wl-copy"),
                              int timeoutMs = 3000);

} // namespace pintora
