#pragma once

#include "ImageTestSupport.h"
#include "app/PintoraApp.h"

#include <gtest/gtest.h>

#include <optional>

namespace pintora {

// Opens `path` as a hand-over does and waits for the answer: empty when
// opened, else the reason.
inline QString openFile(PintoraApp &app, const QString &path)
{
    std::optional<QString> reason;
    app.openFile(path, [&reason](const QString &why) { reason = why; });
    EXPECT_TRUE(eventually([&reason] { return reason.has_value(); }, 30000)); // generous: a busy machine
    return reason.value_or(QStringLiteral("no answer"));
}

} // namespace pintora
