#pragma once
// A real bench against a running vxm-simulator: the program's own device library and the
// system's serial port, each test in its own port directory holding only the simulator's links.
// Dialogs are recorded, and Close / Exit records the end of the program instead of ending it.
// LiveBench goes on to where the operator has connected the module (COM6) and the laser (COM7)
// and switched the laser on.

#include "recording_dialogs.h"
#include "simulator_process.h"
#include "../station/line_support.h"

#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "app/shutdown_controller.h"
#include "measure/measure_controller.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

inline void choose(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString() << " was not found by the port probe";
    box->setCurrentIndex(index);
}

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// A JSON file of docs/examples without its comment, which a recipe would refuse.
inline QJsonObject exampleJson(const char* name)
{
    const QString path = QStringLiteral(VXM_SOURCE_DIR "/docs/examples/") + QLatin1String(name);
    QJsonObject json = QJsonDocument::fromJson(fileBytes(path)).object();
    json.remove(QStringLiteral("comment"));
    return json;
}

class E2eBench : public ::testing::Test {
protected:
    // Arguments for the simulator and the device library to load; a test overrides them.
    virtual QStringList simulatorArguments() const { return {}; }
    virtual QByteArray moduleLibrary() const
    {
        return QDir(SimulatorProcess::builtDir()).filePath(QStringLiteral("libKetrolanLib.so")).toUtf8();
    }
    // Where measurement records go; none unless a test says.
    virtual QString recordsTarget() { return {}; }

    void SetUp() override
    {
        sim = std::make_unique<SimulatorProcess>(simulatorArguments());
        ASSERT_TRUE(sim->started()) << "vxm-simulator did not print ready";
        sim->exportComDir();
        qputenv("VXM_MODULE_LIBRARY", moduleLibrary());
        resetSharedState();
        BenchServices services = realServices();
        // The bench's settings stay out of the user's.
        services.settings = std::make_unique<QSettings>(logs.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        services.recordsTarget = recordsTarget();
        services.recordsSpool = logs.filePath(QStringLiteral("records-spool.sqlite"));
        services.recipesFolder = logs.filePath(QStringLiteral("recipes"));
        bench = std::make_unique<Bench>(std::move(services));
        bench->shutdown().setEndProgram([this] { ++endRequests; });
        bench->measure().setLogFolder(logs.path());
        bench->startup().Form_Load();
        f = &bench->form1();
        f->show();
    }

    void TearDown() override
    {
        // The library lives on in this process: its ports must not outlive this test's simulator.
        if (bench) {
            bench->library().Stop_All();
            bench->library().Release_All();
        }
        bench.reset();
        if (sim) sim->stop();
    }

    Form1& form() { return *f; }
    QString infoText() { return bench->info().text(); }
    void console(const char* line) { ASSERT_FALSE(sim->command(QString::fromLatin1(line)).isEmpty()) << line; }

    // The operator's click, through the mouse.
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // How many requests with these command letters the simulated laser carried out ("LSOF"), or the
    // module ("module:SCAN").
    int requestCount(const QString& command)
    {
        const QString answer = sim->command(QStringLiteral("count ") + command);
        const QStringList words = answer.split(QLatin1Char(' '));
        return words.size() == 2 && words[0] == command ? words[1].toInt() : -1;
    }

    void openLaserPort()
    {
        click(form().SetTLSComPort);
        ASSERT_TRUE(bench->MSComm1().isOpen());
    }

    void connectModule()
    {
        click(form().SetVXMComPort);
        ASSERT_TRUE(form().SetConnection->isEnabled()) << infoText().toStdString();
        click(form().SetConnection);
    }

    // Laser on from the start-up state, where the toggle stands pressed: off, then on.
    void switchLaserOn()
    {
        click(form().TLSOnOff);
        click(form().TLSOnOff);
        ASSERT_TRUE(form().TLSOnOff->isChecked());
    }

    std::unique_ptr<SimulatorProcess> sim;
    DialogsGuard dialogs;
    QTemporaryDir logs;
    std::unique_ptr<Bench> bench;
    Form1* f = nullptr;
    int endRequests = 0;
};

class LiveBench : public E2eBench {
protected:
    void SetUp() override
    {
        E2eBench::SetUp();
        if (HasFatalFailure()) return;
        choose(f->ComboBoxVXMCOM, QStringLiteral("COM6"));
        connectModule();
        ASSERT_TRUE(f->SetTLSComPort->isEnabled()) << infoText().toStdString();
        choose(f->ComboBoxTLSCOM, QStringLiteral("COM7"));
        openLaserPort();
        switchLaserOn();
        ASSERT_TRUE(f->StartStopSweep->isEnabled()) << infoText().toStdString();
    }
};
