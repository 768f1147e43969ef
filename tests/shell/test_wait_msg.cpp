#include "shell/WaitMsg.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

namespace {

// Each test starts and ends with no window open.
struct WaitMsgTest : ::testing::Test {
    WaitMsgWindow progress;
    void TearDown() override {
        progress.CloseWaitMsg();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST_F(WaitMsgTest, ShowWaitMsgOpensWithBarAndInitialText) {
    progress.ShowWaitMsg();
    TMsgFrm* window = progress.current();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->size(), QSize(393, 54));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->LblMsg->text(), "正在导入数据，请稍候...");
    EXPECT_EQ(window->LblMsg->pos(), QPoint(22, 6));
    EXPECT_TRUE(window->ProgressBar->isVisible());
    EXPECT_EQ(window->ProgressBar->geometry(), QRect(28, 26, 301, 16));
    EXPECT_EQ(window->ProgressBar->maximum(), 100);
    EXPECT_EQ(window->Ani->size(), QSize(50, 42));
    EXPECT_TRUE(window->Ani->isActive());
    EXPECT_EQ(window->MsgPanel->palette().color(QPalette::Window), QColor(0xE7, 0xE6, 0xD8));
}

TEST_F(WaitMsgTest, OpenersDoNothingWhileAWindowIsOpen) {
    progress.ShowWaitMsg();
    progress.SetWaitProgress(10, 4);
    TMsgFrm* first = progress.current();
    progress.ShowWaitMsgText("正在连接Domino服务器");
    progress.ShowWaitMsg();
    EXPECT_EQ(progress.current(), first);
    EXPECT_EQ(first->LblMsg->text(), "正在导入数据，请稍候...");
    EXPECT_TRUE(first->ProgressBar->isVisible());
    EXPECT_EQ(first->ProgressBar->value(), 4);
}

TEST_F(WaitMsgTest, TextWindowHidesTheBarAndKeepsItHidden) {
    progress.ShowWaitMsgText("正在连接Domino服务器");
    TMsgFrm* window = progress.current();
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->ProgressBar->isVisible());
    EXPECT_EQ(window->LblMsg->y(), 20);
    EXPECT_EQ(window->LblMsg->text(), "正在连接Domino服务器");
    progress.SetWaitProgress(5, 3);
    EXPECT_FALSE(window->ProgressBar->isVisible());
    EXPECT_EQ(window->ProgressBar->maximum(), 5);
    EXPECT_EQ(window->ProgressBar->value(), 3);
    progress.SetWaitMsgText("正在读入文档数据...5/5");
    EXPECT_EQ(window->LblMsg->text(), "正在读入文档数据...5/5");
}

TEST_F(WaitMsgTest, SettersAndCloseWithoutAWindowDoNothing) {
    progress.SetWaitMsgText("x");
    progress.SetWaitProgress(10, 5);
    progress.CloseWaitMsg();
    progress.CloseWaitMsg();
    EXPECT_FALSE(progress.current());

    progress.ShowWaitMsg();
    progress.CloseWaitMsg();
    progress.CloseWaitMsg();
    EXPECT_FALSE(progress.current());
    progress.ShowWaitMsg();
    EXPECT_TRUE(progress.current()) << "a new window opens after a close";
}

TEST_F(WaitMsgTest, ProgressOutsideTheRangeIsKeptWithinIt) {
    progress.ShowWaitMsg();
    progress.SetWaitProgress(-3, 7);
    EXPECT_EQ(progress.current()->ProgressBar->maximum(), 0);
    EXPECT_EQ(progress.current()->ProgressBar->value(), 0);
    progress.SetWaitProgress(120, 500);
    EXPECT_EQ(progress.current()->ProgressBar->value(), 120);
}
