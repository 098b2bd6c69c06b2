#pragma once

#include <QIcon>
#include <QString>

namespace pintora {

// The app's own symbol drawings, compiled in as resources and named like the
// symbols they stand for ("viewfinder.crop", "tool.box", ...).
// Returns a null icon when the drawing cannot be rendered, for example when
// Qt's SVG plugins are missing.
QIcon symbolIcon(const QString &name);

// The symbol with a thin dark outline, so that the white drawing also reads
// on a light panel.
QIcon outlinedIcon(const QIcon &symbol);

// An icon that shows `text` (an emoji) drawn large and centred, for when a
// symbol cannot be had.
QIcon textIcon(const QString &text);

} // namespace pintora
