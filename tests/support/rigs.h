#pragma once
// Small rigs for the tests that reach one subsystem: only the main window, the information box and
// the fakes that subsystem talks to, without the start-up and port probe of a whole FakeBench.

#include "core/form1.h"
#include "core/info_box.h"
#include "core/shared_state.h"
#include "fake_clock.h"
#include "fake_serial_port.h"
#include "laser/ms_clock.h"
#include "laser/tls_link.h"
#include "recording_dialogs.h"
#include "results/form2.h"
#include "results/repeat_statistics_tracker.h"
#include "results/results_window_host.h"

// The main window as constructed, fresh shared state and dialogs that answer for the operator.
struct WindowRig {
    struct FreshState {
        FreshState() { resetSharedState(); }
    } fresh;
    DialogsGuard dialogs;
    Form1 form;
    InfoBox info{form.DisplayInfo};
};

// The laser link on a scripted serial port and a step clock.
struct LaserRig : WindowRig {
    FakeClock clock;
    FakeSerialPort serial{clock};
    Waits waits{clock};
    TlsLink link{serial, waits, info};
};

// The results window as the main window hosts it, loaded on first use and with no controller
// wired to it, and the repeatability statistics kept on it.
struct ResultsRig : WindowRig {
    ResultsWindowHost host{form};
    RepeatStatisticsTracker statistics{host};
};
