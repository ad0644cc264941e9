// The main window's EDL maker button opens a new, independent EDL maker window each time.
#include <QApplication>
#include <QPointer>

#include "ui/edl_opener.h"
#include "ui/edl_viewer.h"
#include "ui/main_window_fixture.h"

namespace vemo::test {
namespace {

std::vector<QPointer<ui::EDLViewer>> openViewers() {
    std::vector<QPointer<ui::EDLViewer>> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* viewer = qobject_cast<ui::EDLViewer*>(w); viewer != nullptr && w->isVisible())
            found.emplace_back(viewer);
    }
    return found;
}

class EdlOpenerTest : public MainWindowTest {};

TEST_F(EdlOpenerTest, EachPressOpensAWindowThatGoesWhenClosed) {
    settings.name = " Vemo";
    make("LX1");
    ui::attachEdlMaker(*gui);
    showWindow();
    ASSERT_TRUE(openViewers().empty());

    QTest::mouseClick(button("bedlmaker"), Qt::LeftButton);
    QTest::mouseClick(button("bedlmaker"), Qt::LeftButton);
    auto viewers = openViewers();
    ASSERT_EQ(viewers.size(), 2u);
    EXPECT_EQ(viewers[0]->windowTitle().toStdString(), "  Vemo EDLMaker");
    EXPECT_TRUE(viewers[0]->isWindow());

    viewers[0]->close();
    QTRY_VERIFY(viewers[0].isNull());
    EXPECT_FALSE(viewers[1].isNull());
    // The windows still open go with the console.
    TearDown();
    EXPECT_TRUE(viewers[1].isNull());
}

}  // namespace
}  // namespace vemo::test
