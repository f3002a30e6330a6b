#pragma once

#include <QApplication>

namespace quorvel {

// The window program's application object: its names (which place the settings store), writes
// that fail past the size limit, a CJK font fallback and Qt's own dialog texts in Chinese.
// An operation that runs out of memory (an allocation that fails on the UI thread, or on a worker
// whose result is read there) ends with the message "内存不足" instead of ending the program;
// whatever it was storing is rolled back by its transaction, so nothing is stored by halves.
class Application : public QApplication
{
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void reportOutOfMemory();

    bool m_reporting = false;
};

} // namespace quorvel
