#include "core/BuildInfo.h"
#include "core/DataFolder.h"
#include "core/Settings.h"
#include "core/WriteError.h"
#include "ui/Application.h"
#include "ui/BusyNotice.h"
#include "ui/DesktopServices.h"
#include "ui/DialogPrompts.h"
#include "ui/FailureNotice.h"
#include "ui/GridView.h"
#include "ui/MainWindow.h"
#include "ui/Translations.h"
#include "ui/tools/BacktestWindow.h"
#include "ui/tools/SearchWindow.h"
#include "workspace/Workspace.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFont>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// On systems whose default font has no Chinese glyphs, fall back to a CJK font when one is
// installed, so captions and formulas render instead of showing boxes.
void addChineseFontFallback(QApplication& app)
{
    static const QStringList candidates{QStringLiteral("WenQuanYi Micro Hei"),
                                        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"),
                                        QStringLiteral("SimSun")};
    const QStringList installed = QFontDatabase::families();
    QStringList families{app.font().family()};
    for (const QString& candidate : candidates) {
        if (installed.contains(candidate))
            families << candidate;
    }
    if (families.size() == 1)
        return;
    QFont font = app.font();
    font.setFamilies(families);
    app.setFont(font);
}

// For a picture of a tool window: opens it the way the user does (the ranking by computing the
// prediction of the kill formulas, the calculation steps from the formula menu on the first
// formula, the backtest from its button, run once) and returns it.
QWidget* openToolWindow(quorvel::MainWindow& window, const QString& name)
{
    if (name == QLatin1String("frmErrarrLei")) {
        // Kill formulas show what the ranking makes of them: the least-killed numbers picked.
        if (auto* kill = window.findChild<QAbstractButton*>(QStringLiteral("Option2_0")))
            kill->click();
        if (auto* compute = window.findChild<QAbstractButton*>(QStringLiteral("Command23")))
            compute->click();
    } else if (name == QLatin1String("frmLsHc")) {
        // The backtest of the newest 100 draws, shown once it has run.
        if (auto* open = window.findChild<QAbstractButton*>(QStringLiteral("cmdLsHc")))
            open->click();
        if (auto* backtest = window.findChild<quorvel::BacktestWindow*>(name)) {
            QEventLoop ran;
            QObject::connect(backtest, &quorvel::BacktestWindow::finished, &ran, &QEventLoop::quit);
            backtest->start();
            if (backtest->isRunning())
                ran.exec();
        }
    } else if (name == QLatin1String("frmGsbz")) {
        auto* formulas = window.findChild<quorvel::GridView*>(QStringLiteral("MSFlexGrid2"));
        auto* steps = window.findChild<QAction*>(QStringLiteral("mnuCulate"));
        if (formulas && steps && formulas->model()->rowCount() > 0) {
            formulas->setCurrentIndex(formulas->model()->index(0, 1));
            steps->trigger();
        }
    }
    QWidget* tool = window.findChild<QWidget*>(name);
    // Tall enough for the picture to hold all twenty numbers, the killed ones at the bottom.
    if (tool && name == QLatin1String("frmErrarrLei"))
        tool->resize(tool->width(), 1000);
    return tool && tool->isWindow() && tool->isVisible() ? tool : nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    quorvel::Application app(argc, argv);
    quorvel::WriteError::failWritesPastSizeLimit();
    QApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(quorvel::BuildInfo::version());
    addChineseFontFallback(app);
    quorvel::installChineseTranslations(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quorvel: 快乐十分 formula analysis"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"),
                                           QStringLiteral("Keep formula.db and written files in <folder>."),
                                           QStringLiteral("folder"));
    const QCommandLineOption settingsFileOption(
        QStringLiteral("settings-file"),
        QStringLiteral("Keep the settings in the ini file <file> instead "
                       "of the user's settings store."),
        QStringLiteral("file"));
    const QCommandLineOption quitOption(QStringLiteral("quit-after-start"),
                                        QStringLiteral("Start, show the window and exit (a smoke test)."));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Start, show the window at 1366x768, save a "
                                                             "picture of it as PNG to <file> and exit."),
                                              QStringLiteral("file"));
    const QCommandLineOption toolWindowOption(
        QStringLiteral("screenshot-window"),
        QStringLiteral(
            "With --screenshot: photograph the tool window <name> (frmErrarrLei, frmGsbz, frmLsHc) instead."),
        QStringLiteral("name"));
    const QCommandLineOption searchScreenshotOption(
        QStringLiteral("screenshot-search"),
        QStringLiteral("Start, open the formula search window, search for a moment with a fixed seed, save "
                       "a picture of the search window as PNG to <file> and exit."),
        QStringLiteral("file"));
    parser.addOptions({dataDirOption, settingsFileOption, quitOption, screenshotOption, toolWindowOption,
                       searchScreenshotOption});
    parser.process(app);

    std::unique_ptr<quorvel::Settings> settings =
        parser.isSet(settingsFileOption)
            ? std::make_unique<quorvel::Settings>(parser.value(settingsFileOption))
            : std::make_unique<quorvel::Settings>();
    quorvel::DialogPrompts prompts;
    const bool unattended =
        parser.isSet(quitOption) || parser.isSet(screenshotOption) || parser.isSet(searchScreenshotOption);
    prompts.setUnattended(unattended);
    quorvel::DesktopServices desktop(prompts);
    desktop.setUnattended(unattended);
    quorvel::Workspace workspace(*settings, prompts, desktop);
    // A database another program holds is waited for with the wait cursor and, after a second,
    // a notice; before the window is there, in a small window of its own.
    quorvel::BusyNotice busyNotice;

    const QString dataFolder = quorvel::resolveDataFolder(parser.value(dataDirOption));
    const quorvel::Status started = workspace.start(dataFolder);

    quorvel::MainWindow window(workspace, prompts);
    prompts.setParentWidget(&window);
    busyNotice.setWindow(&window);
    // The window opens whatever start-up found: what failed, or that changes cannot be saved, is
    // said once it is on the screen.
    QTimer::singleShot(0, &window, [&] {
        if (!quorvel::reportFailure(prompts, started))
            return;
        if (workspace.isReadOnly())
            prompts.notice(QStringLiteral("数据库只读"), workspace.readOnlyReason());
        if (const QStringList& leftOut = workspace.leftOutDraws(); !leftOut.isEmpty())
            prompts.notice(
                QStringLiteral("历史号码有误"),
                QStringLiteral("公式数据库中有 %1 期记录不是有效的开奖号码，已略过（未删除）：\n%2")
                    .arg(leftOut.size())
                    .arg(leftOut.mid(0, 20).join(QLatin1Char('\n'))));
    });

    if (parser.isSet(screenshotOption)) {
        const QString file = parser.value(screenshotOption);
        window.resize(1366, 768);
        window.show();
        int status = 0;
        // Grab once the window has been laid out, scrolled and painted.
        const QString toolName = parser.value(toolWindowOption);
        QTimer::singleShot(200, &window, [&window, &file, &status, toolName] {
            QWidget* shown = &window;
            if (!toolName.isEmpty()) {
                shown = openToolWindow(window, toolName);
                if (!shown) {
                    std::fprintf(stderr, "quorvel: cannot open %s\n", qPrintable(toolName));
                    status = 1;
                    QApplication::exit(status);
                    return;
                }
            }
            // The tool window is painted before it is grabbed.
            QTimer::singleShot(200, shown, [shown, &file, &status] {
                if (!shown->grab().save(file, "PNG")) {
                    std::fprintf(stderr, "quorvel: cannot write %s\n", qPrintable(file));
                    status = 1;
                }
                QApplication::exit(status);
            });
        });
        app.exec();
        return status;
    }

    if (parser.isSet(searchScreenshotOption)) {
        const QString file = parser.value(searchScreenshotOption);
        window.resize(1366, 768);
        window.show();
        int status = 0;
        // The window opens through its button, as a user opens it, and searches as he would start it.
        QTimer::singleShot(200, &window, [&window, &prompts, &file, &status] {
            window.findChild<QPushButton*>(QStringLiteral("Command22"))->click();
            auto* search = window.findChild<quorvel::SearchWindow*>(QStringLiteral("frmGSGL"));
            search->setPrompts(prompts);
            search->findChild<QLineEdit*>(QStringLiteral("txtSeed"))->setText(QStringLiteral("20141028"));
            search->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
            QTimer::singleShot(1500, search, [search, &file, &status] {
                if (!search->grab().save(file, "PNG")) {
                    std::fprintf(stderr, "quorvel: cannot write %s\n", qPrintable(file));
                    status = 1;
                }
                QApplication::exit(status);
            });
        });
        app.exec();
        return status;
    }

    // The design size fits a 1366x768 screen; a smaller screen gets the window at its size.
    if (const QScreen* screen = window.screen())
        window.resize(window.size().boundedTo(screen->availableGeometry().size()));
    window.show();
    if (parser.isSet(quitOption)) {
        QTimer::singleShot(0, &app, &QApplication::quit);
        return app.exec();
    }
    return app.exec();
}
