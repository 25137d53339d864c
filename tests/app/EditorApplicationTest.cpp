// SPDX-License-Identifier: GPL-3.0-or-later
// An error a handler lets through to the event loop is shown, and the
// program goes on.
#include <gtest/gtest.h>

#include <QEvent>
#include <QObject>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/EditorApplication.h"

namespace fl {
namespace {

class TThrowingObject final : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Image is too large");
        return QObject::event(event);
    }
};

TEST(EditorApplicationTest, AnErrorReachingTheEventLoopIsShown)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "fl_app_tests";
    char* argv[] = {name, nullptr};
    TEditorApplication application(argc, argv);
    std::vector<std::string> shown;
    application.OnError = [&shown](const std::string& message) { shown.push_back(message); };

    TThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    EXPECT_EQ(shown, std::vector<std::string>{"Image is too large"});
    // Posted events too, and the loop goes on afterwards.
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.size(), 2u);
}

} // namespace
} // namespace fl
