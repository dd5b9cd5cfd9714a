#pragma once
// A simulated bench and the program on it, brought to where the operator has connected the
// module (COM6) and the laser (COM7) and switched the laser on, through the real device library
// and serial link. End-to-end fixtures derive from it.

#include "app/bench.h"
#include "app/form1.h"
#include "app/info_box.h"
#include "app/module1.h"
#include "measure/measure_workflow.h"
#include "recording_dialogs.h"
#include "simulator_process.h"

#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

inline void choose(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString() << " was not found by the port probe";
    box->setCurrentIndex(index);
}

class LiveBench : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.started());
        sim.exportComDir();
        qputenv("VXM_MODULE_LIBRARY", QDir(SimulatorProcess::builtDir()).filePath("libKetrolanLib.so").toUtf8());
        resetSharedState();
        bench = std::make_unique<Bench>(realServices());
        bench->Form_Load();
        f = &bench->form1();
        bench->measure().setLogFolder(logs.path());

        choose(f->ComboBoxVXMCOM, QStringLiteral("COM6"));
        f->SetVXMComPort->click();
        f->SetConnection->click();
        ASSERT_TRUE(f->SetTLSComPort->isEnabled()) << bench->info().text().toStdString();
        choose(f->ComboBoxTLSCOM, QStringLiteral("COM7"));
        f->SetTLSComPort->click();
        f->TLSOnOff->click();  // pressed at start: released (off), then pressed (on)
        f->TLSOnOff->click();
        ASSERT_TRUE(f->StartStopSweep->isEnabled()) << bench->info().text().toStdString();
    }
    void TearDown() override
    {
        // The library outlives the bench: its ports go, as at shutdown, before the next simulator.
        if (bench) {
            bench->library().Stop_All();
            bench->library().Release_All();
        }
        bench.reset();
        sim.stop();
    }

    void console(const char* line) { ASSERT_FALSE(sim.command(QString::fromLatin1(line)).isEmpty()) << line; }

    SimulatorProcess sim;
    DialogsGuard dialogs;
    QTemporaryDir logs;
    std::unique_ptr<Bench> bench;
    Form1* f = nullptr;
};
