#pragma once
// A bench wired to fakes: the device library is a FakeDeviceLibrary the test can script, the
// laser's port a FakeSerialPort (no ports unless the test adds them) on a FakeClock.

#include "app/bench.h"
#include "app/startup_controller.h"
#include "core/shared_state.h"
#include "fake_clock.h"
#include "fake_device_library.h"
#include "fake_serial_port.h"
#include "recording_dialogs.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

struct FakeBench {
    FakeDeviceLibrary* library = nullptr;  // owned by the bench
    FakeClock* clock = nullptr;            // owned by the bench
    FakeSerialPort* serial = nullptr;      // owned by the bench
    DialogsGuard dialogs;
    QTemporaryDir settingsDir;  // the bench's settings stay out of the user's
    std::unique_ptr<Bench> bench;

    // Fresh shared state and a new bench; `load` runs Form_Load. Records are kept only when a
    // records target is given.
    explicit FakeBench(bool load = true, const QString& recordsTarget = {}, const QString& recordsSpool = {})
    {
        resetSharedState();
        BenchServices services;
        auto fake = std::make_unique<FakeDeviceLibrary>();
        library = fake.get();
        services.library = std::move(fake);
        auto fakeClock = std::make_unique<FakeClock>();
        clock = fakeClock.get();
        auto fakePort = std::make_unique<FakeSerialPort>(*fakeClock);
        serial = fakePort.get();
        services.clock = std::move(fakeClock);
        services.serial = std::move(fakePort);
        services.settings = std::make_unique<QSettings>(settingsDir.filePath(QStringLiteral("settings.ini")),
                                                        QSettings::IniFormat);
        services.recordsTarget = recordsTarget;
        services.recordsSpool = recordsSpool;
        services.recipesFolder = settingsDir.filePath(QStringLiteral("recipes"));
        bench = std::make_unique<Bench>(std::move(services));
        if (load) bench->startup().Form_Load();
    }
    Bench* operator->() { return bench.get(); }
};
