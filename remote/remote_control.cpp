#include "remote/remote_control.h"

#include "core/control_placement.h"
#include "core/form1.h"
#include "core/texts.h"
#include "remote/remote_commands.h"
#include "remote/remote_dispatcher.h"
#include "remote/scpi_server.h"

#include <QLabel>
#include <QStatusBar>

RemoteControl::RemoteControl(Form1& form, InfoBox& info, DeviceLibrary& library, ResultsWindowHost& results,
                             ScanEngine& engine, VerdictController& verdict, StationController& station)
    : QObject(&form), form_(form),
      commands_(new RemoteCommands(form, info, library, results, engine, verdict, station)),
      dispatcher_(new RemoteDispatcher(commands_->table(), this)), server_(new ScpiServer(*dispatcher_, this))
{
    commands_->setParent(this);
    commands_->setDispatcher(dispatcher_);
}

RemoteControl::~RemoteControl()
{
    // The server first: its clients are closed while the dispatcher still knows them.
    delete server_;
    delete indicator_;
}

bool RemoteControl::start(const RemoteOptions& options)
{
    if (!server_->listen(options)) return false;
    indicator_ = named(new QLabel(form_.statusBar()), QStringLiteral("RemoteIndicator"));
    indicator_->setFocusPolicy(Qt::NoFocus);
    form_.statusBar()->addPermanentWidget(indicator_);
    showIndicator();
    // After the language switch's own handler, which was connected first.
    connect(form_.LanguageButton, &QAbstractButton::toggled, this, &RemoteControl::showIndicator);
    return true;
}

QString RemoteControl::errorString() const { return server_->errorString(); }
QString RemoteControl::endpoint() const { return server_->endpoint(); }
quint16 RemoteControl::port() const { return server_->port(); }

void RemoteControl::showIndicator()
{
    const QString text = T("remote.listening");
    if (!text.isNull()) indicator_->setText(text.arg(endpoint()));
}
