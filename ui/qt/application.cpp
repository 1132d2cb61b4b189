#include "application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "main_window.h"
#include "qt_window_port.h"
#include "unexpected_failure.h"

namespace stakora::qt {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Qt aborts when its default platform finds no display; tell the user instead.
bool hasDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

}  // namespace

Program::Program() {
    if (translator_.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&translator_);
    }
    auto port = std::make_unique<QtWindowPort>();
    window_ = port.get();
    handlers_ = std::make_unique<MainWindow>(std::move(port));
    window_->showCentred();
}

Program::~Program() = default;

int runApplication(int argc, char** argv, const std::function<void(QtWindowPort& window)>& shown) {
    if (!hasDisplay()) {
        std::fprintf(stderr,
                     "stakora: no graphical display to open the window on (DISPLAY is not set).\n"
                     "Run it from a desktop session, or under Xvfb: xvfb-run %s\n",
                     argc > 0 && argv[0] != nullptr ? argv[0] : "stakora");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stakora"));
    QApplication::setApplicationVersion(QStringLiteral(STAKORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.stakora.Stakora"));

    std::unique_ptr<Program> stakora;
    try {
        stakora = std::make_unique<Program>();
    } catch (...) {
        logUnexpectedFailure("the start of the program");
        QMessageBox::critical(
            nullptr, QString::fromUtf8(kAppTitle),
            QString::fromStdString(unexpectedFailureMessage(Interrupted::NotStarted)));
        return 1;
    }
    if (shown) {
        shown(stakora->window());
    }
    return QApplication::exec();
}

}  // namespace stakora::qt
