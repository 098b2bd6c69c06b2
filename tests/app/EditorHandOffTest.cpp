#include "ImageTestSupport.h"
#include "app/EditorHandOff.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace pintora {
namespace {

bool goneNow(const QPointer<EditorWindow> &window)
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

QPointer<EditorWindow> shownWindow()
{
    auto *window = new EditorWindow(solidImage(30, 20, Qt::blue));
    window->show();
    return window;
}

} // namespace

// Never in the same step, then once asked for the copy, or after a moment.
TEST(EditorHandOff, AWindowWaitsForAQuestionForItsCopyOrAMomentAtMost)
{
    for (const bool asked : {true, false}) {
        CopyReport report;
        EditorHandOff handOff(&report);
        const QPointer<EditorWindow> window = shownWindow();
        handOff.waitForCopy(window);
        QTest::qWait(EditorHandOff::limitMs / 3);
        ASSERT_FALSE(window.isNull()) << asked;
        EXPECT_TRUE(window->isVisible()) << asked;
        if (asked) {
            emit report.asked();
            EXPECT_TRUE(goneNow(window));
        } else {
            EXPECT_FALSE(goneNow(window));
            EXPECT_TRUE(eventually([&] { return goneNow(window); }));
        }
    }
}

// Where nothing needs the window for its copy (an X server), it hides in the
// step that made the copy.
TEST(EditorHandOff, WithoutAHoldTheWindowHidesAtOnce)
{
    CopyReport report;
    EditorHandOff handOff(&report, EditorHandOff::Hold::none);
    const QPointer<EditorWindow> window = shownWindow();
    handOff.waitForCopy(window);
    ASSERT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(eventually([&] { return window.isNull(); }));
}

// A question or a limit meant for one window does not send the next away.
TEST(EditorHandOff, OnlyTheWindowWaitingGoes)
{
    CopyReport report;
    auto handOff = std::make_unique<EditorHandOff>(&report);
    const QPointer<EditorWindow> first = shownWindow();
    handOff->waitForCopy(first);
    emit report.asked(); // answered on the next turn of the event loop
    const QPointer<EditorWindow> second = shownWindow();
    handOff->waitForCopy(second); // the first goes now
    EXPECT_TRUE(goneNow(first));
    QTest::qWait(EditorHandOff::limitMs / 3);
    EXPECT_FALSE(second.isNull());
    handOff.reset(); // nor does a window outlive its hand-off
    EXPECT_TRUE(goneNow(second));
}

} // namespace pintora
