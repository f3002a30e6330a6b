#include "ui/Application.h"
#include "ui/MainProgram.h"

#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

int main(int argc, char* argv[])
{
    quorvel::Application app(argc, argv);

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
    parser.addOptions({dataDirOption, settingsFileOption, quitOption});
    parser.process(app);

    quorvel::MainProgram program(
        {parser.value(dataDirOption), parser.value(settingsFileOption), parser.isSet(quitOption)});
    quorvel::MainWindow& window = program.window();
    // The design size fits a 1366x768 screen; a smaller screen gets the window at its size.
    if (const QScreen* screen = window.screen())
        window.resize(window.size().boundedTo(screen->availableGeometry().size()));
    window.show();
    if (parser.isSet(quitOption))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
