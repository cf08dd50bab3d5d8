// The application object that the drawing commands (chart, sheets) need for
// fonts and painting, made only when such a command runs.
#pragma once

#include <QGuiApplication>

#include <memory>

namespace kestrin::cli {

// Creates the application object, or returns null when one exists already.
// Without QT_QPA_PLATFORM the off-screen platform is used: nothing is shown
// and no display is needed. Qt's notice that XDG_RUNTIME_DIR is not set
// (usual under cron, ssh or a service) is dropped: Qt then uses a folder of
// its own, nothing fails, and stderr keeps only the tool's own messages.
// Qt's own texts are Japanese when Qt's translations are installed.
std::unique_ptr<QGuiApplication> MakeGuiApplication();

}  // namespace kestrin::cli
