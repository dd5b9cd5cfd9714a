#pragma once
// A real bench against a running vxm-simulator: the program's own device library and the
// system's serial port, each test in its own port directory holding only the simulator's links.
// Dialogs are recorded, and Close / Exit records the end of the program instead of ending it.

#include "recording_dialogs.h"
#include "simulator_process.h"
#include "test_paths.h"

#include "app/bench.h"
#include "app/form1.h"
#include "app/info_box.h"
#include "app/module1.h"
#include "app/shutdown_controller.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class E2eBench : public ::testing::Test {
protected:
    // Arguments for the simulator; a test overrides them before SetUp.
    virtual QStringList simulatorArguments() const { return {}; }

    void SetUp() override
    {
        sim = std::make_unique<SimulatorProcess>(simulatorArguments());
        ASSERT_TRUE(sim->started()) << "vxm-simulator did not print ready";
        sim->exportComDir();
        qputenv("VXM_MODULE_LIBRARY",
                QDir(SimulatorProcess::builtDir()).filePath(QStringLiteral("libKetrolanLib.so")).toUtf8());
        resetSharedState();
        bench = std::make_unique<Bench>(realServices());
        bench->shutdown().setEndProgram([this] { ++endRequests; });
        ASSERT_TRUE(bench->library().loadProblem().isEmpty()) << bench->library().loadProblem().toStdString();
        bench->Form_Load();
        bench->form1().show();
    }

    void TearDown() override
    {
        // The library lives on in this process: its ports must not outlive this test's simulator.
        if (bench) bench->library().Release_All();
        bench.reset();
        if (sim) sim->stop();
    }

    Form1& form() { return bench->form1(); }
    InfoBox& info() { return bench->info(); }
    QString infoText() { return info().text(); }

    // The operator's click, through the mouse.
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // How many requests with these command letters the simulated laser carried out.
    int laserCount(const QString& command)
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

    void saveForm1(const QString& fileName)
    {
        const QString path = QDir(testOutputDir()).filePath(fileName);
        EXPECT_TRUE(form().grab().save(path)) << path.toStdString();
    }

    std::unique_ptr<SimulatorProcess> sim;
    DialogsGuard dialogs;
    std::unique_ptr<Bench> bench;
    int endRequests = 0;
};
