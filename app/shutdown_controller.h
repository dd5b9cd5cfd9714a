#pragma once
// Close / Exit: the program's orderly way out. Stops and releases the module, switches the laser
// off and closes its port when the laser is in use, then ends the program.

#include <QObject>

#include <functional>

class Bench;

class ShutdownController : public QObject {
    Q_OBJECT
public:
    explicit ShutdownController(Bench& bench);

    // Does not return to the event loop it came from: the program ends inside it.
    void CloseExit_Click();

    // The final step; tests put a recorder here so that the test process lives on.
    void setEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }

private:
    void endProgramAtOnce();

    Bench& bench_;
    std::function<void()> endProgram_;
};
