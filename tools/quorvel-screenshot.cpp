// Takes the README's pictures: starts the window program on a data folder, shows the main window
// at 1366x768, opens one tool window the way a user does when asked, and saves a PNG of what is
// shown. Run by scripts/screenshot.sh under a virtual display. Not installed.
//
//   quorvel-screenshot --data-dir DIR --settings-file FILE [--window NAME] PICTURE.png
//
// NAME: frmErrarrLei (the ranking after computing the kill formulas), frmGsbz (the calculation
// steps of the first formula), frmLsHc (the backtest of the newest draws, once it has run) or
// frmGSGL (the search window a moment into a search with a fixed seed), frmZoushi (the trend
// chart of the newest 100 draws) or frmZoushi-omission (its omission table); the main window
// without.

#include "ui/Application.h"
#include "ui/GridView.h"
#include "ui/MainProgram.h"
#include "ui/tools/BacktestWindow.h"
#include "ui/tools/SearchWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

// Time for a window to be laid out and painted before it is grabbed.
constexpr int kPaintDelayMs = 200;
// How long the search runs before its window is photographed.
constexpr int kSearchMs = 1500;

// Drives the shown main window to the picture asked for, one step per event-loop turn, and ends
// the event loop with the outcome.
class Photographer
{
public:
    Photographer(quorvel::MainProgram& program, QString toolName, QString file)
        : m_program(program), m_toolName(std::move(toolName)), m_file(std::move(file))
    {
    }

    void start()
    {
        if (m_toolName.isEmpty())
            return grabLater(&m_program.window(), kPaintDelayMs);
        if (m_toolName == QLatin1String("frmErrarrLei"))
            return openRanking();
        if (m_toolName == QLatin1String("frmGsbz"))
            return openSteps();
        if (m_toolName == QLatin1String("frmLsHc"))
            return openBacktest();
        if (m_toolName == QLatin1String("frmGSGL"))
            return openSearch();
        if (m_toolName == QLatin1String("frmZoushi"))
            return openTrend(0);
        if (m_toolName == QLatin1String("frmZoushi-omission"))
            return openTrend(2);
        fail(QStringLiteral("no picture of a window named %1").arg(m_toolName));
    }

private:
    // Kill formulas show what the ranking makes of them: the least-killed numbers picked.
    void openRanking()
    {
        auto* kill = child<QAbstractButton>(m_program.window(), "Option2_0");
        auto* compute = kill ? child<QAbstractButton>(m_program.window(), "Command23") : nullptr;
        if (!compute)
            return;
        kill->click();
        compute->click();
        QWidget* ranking = shownToolWindow();
        if (!ranking)
            return;
        // Tall enough for the picture to hold all twenty numbers, the killed ones at the bottom.
        ranking->resize(ranking->width(), 1000);
        grabLater(ranking, kPaintDelayMs);
    }

    // The steps of the first formula of the list, opened from the formula menu.
    void openSteps()
    {
        auto* formulas = child<quorvel::GridView>(m_program.window(), "MSFlexGrid2");
        auto* steps = formulas ? child<QAction>(m_program.window(), "mnuCulate") : nullptr;
        if (!steps)
            return;
        if (formulas->model()->rowCount() == 0)
            return fail(QStringLiteral("the formula list MSFlexGrid2 is empty"));
        formulas->setCurrentIndex(formulas->model()->index(0, 1));
        steps->trigger();
        if (QWidget* shown = shownToolWindow())
            grabLater(shown, kPaintDelayMs);
    }

    // The backtest of the newest draws, photographed once it has run.
    void openBacktest()
    {
        auto* open = child<QAbstractButton>(m_program.window(), "cmdLsHc");
        if (!open)
            return;
        open->click();
        auto* backtest = child<quorvel::BacktestWindow>(m_program.window(), "frmLsHc");
        if (!backtest || !shownToolWindow())
            return;
        QObject::connect(backtest, &quorvel::BacktestWindow::finished, backtest,
                         [this, backtest] { grabLater(backtest, kPaintDelayMs); }, Qt::SingleShotConnection);
        backtest->start();
        if (!backtest->isRunning() && !m_grabScheduled)
            grabLater(backtest, kPaintDelayMs);
    }

    // The window opens through its button, as a user opens it, and searches as he would start it.
    void openSearch()
    {
        auto* open = child<QAbstractButton>(m_program.window(), "Command22");
        if (!open)
            return;
        open->click();
        auto* search = child<quorvel::SearchWindow>(m_program.window(), "frmGSGL");
        auto* seed = search ? child<QLineEdit>(*search, "txtSeed") : nullptr;
        auto* run = seed ? child<QAbstractButton>(*search, "Command1") : nullptr;
        if (!run)
            return;
        search->setPrompts(m_program.prompts());
        seed->setText(QStringLiteral("20141028"));
        run->click();
        grabLater(search, kSearchMs);
    }

    // The trend window on one of its tabs, opened through its button.
    void openTrend(int tab)
    {
        auto* open = child<QAbstractButton>(m_program.window(), "cmdZoushi");
        if (!open)
            return;
        open->click();
        QWidget* trend = shownToolWindow();
        auto* tabs = trend ? child<QTabWidget>(*trend, "tabZoushi") : nullptr;
        if (!tabs)
            return;
        tabs->setCurrentIndex(tab);
        grabLater(trend, kPaintDelayMs);
    }

    template<class Widget>
    Widget* child(QObject& parent, const char* name)
    {
        auto* found = parent.findChild<Widget*>(QLatin1String(name));
        if (!found) {
            const QString owner = parent.objectName().isEmpty()
                                      ? QString::fromLatin1(parent.metaObject()->className())
                                      : parent.objectName();
            fail(QStringLiteral("%1 has no %2 named %3")
                     .arg(owner, QLatin1String(Widget::staticMetaObject.className()), QLatin1String(name)));
        }
        return found;
    }

    // The tool window asked for (a picture of another tab names it before a '-'), once shown.
    QWidget* shownToolWindow()
    {
        const QString name = m_toolName.section(QLatin1Char('-'), 0, 0);
        QWidget* tool = child<QWidget>(m_program.window(), qPrintable(name));
        if (tool && !(tool->isWindow() && tool->isVisible())) {
            fail(QStringLiteral("%1 did not open as a window").arg(name));
            return nullptr;
        }
        return tool;
    }

    void grabLater(QWidget* shown, int delayMs)
    {
        m_grabScheduled = true;
        QTimer::singleShot(delayMs, shown, [this, shown] {
            if (!shown->grab().save(m_file, "PNG"))
                return fail(QStringLiteral("cannot write %1").arg(m_file));
            QApplication::exit(0);
        });
    }

    void fail(const QString& message)
    {
        std::fprintf(stderr, "quorvel-screenshot: %s\n", qPrintable(message));
        QApplication::exit(1);
    }

    quorvel::MainProgram& m_program;
    QString m_toolName;
    QString m_file;
    bool m_grabScheduled = false;
};

} // namespace

int main(int argc, char* argv[])
{
    quorvel::Application app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Saves a picture of the Quorvel window as PNG."));
    parser.addHelpOption();
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QStringLiteral("The data folder."),
                                           QStringLiteral("folder"));
    const QCommandLineOption settingsFileOption(QStringLiteral("settings-file"),
                                                QStringLiteral("The settings ini file."), QStringLiteral("file"));
    const QCommandLineOption windowOption(
        QStringLiteral("window"),
        QStringLiteral("Photograph the tool window <name> (frmErrarrLei, frmGsbz, frmLsHc, frmGSGL, frmZoushi, frmZoushi-omission) instead."),
        QStringLiteral("name"));
    parser.addOptions({dataDirOption, settingsFileOption, windowOption});
    parser.addPositionalArgument(QStringLiteral("picture"), QStringLiteral("The PNG file to write."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    quorvel::MainProgram program({parser.value(dataDirOption), parser.value(settingsFileOption), true});
    program.window().resize(1366, 768);
    program.window().show();
    Photographer photographer(program, parser.value(windowOption), parser.positionalArguments().first());
    QTimer::singleShot(kPaintDelayMs, &program.window(), [&photographer] { photographer.start(); });
    return app.exec();
}
