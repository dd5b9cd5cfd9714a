#pragma once
// The results window's lifetime: loaded (hidden) on first use, unloaded by its Close Form button
// and loaded afresh at its next use. Whoever works on the window hears of each load and wires
// itself to that window; a window is never reached after it was unloaded.

#include <QObject>
#include <QPointer>

class Form2;
class QWidget;

class ResultsWindowHost : public QObject {
    Q_OBJECT
public:
    // `owner` is the main window, the results window's parent.
    explicit ResultsWindowHost(QWidget& owner);
    ~ResultsWindowHost() override;

    // The window, loaded first when it is not.
    Form2& form2();
    // The window when it is loaded, else nullptr; loads nothing.
    Form2* loaded() const { return form2_.data(); }

    void unload();
    // From one of the window's own handlers: hidden at once, deleted when control returns to the
    // event loop; the next form2() loads a fresh one.
    void unloadLater();

signals:
    // A fresh window exists; its controllers connect to it here.
    void windowLoaded(Form2& window);

private:
    QWidget& owner_;
    QPointer<Form2> form2_;
};
