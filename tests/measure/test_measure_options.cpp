// The processing options of the main window, driven as the operator drives them.

#include "measure/measure_options.h"
#include "rigs.h"

#include <gtest/gtest.h>

TEST(MeasureOptions, BasePowerAndRefZeroExcludeEachOtherAndRemoveBackgroundWaitsForABackground)
{
    WindowRig rig;
    Form1& f = rig.form;
    auto* options = new MeasureOptionsController(f);  // a child of the window
    const auto ticks = [&] { return std::pair(f.BasePower->isChecked(), f.Ref0Power->isChecked()); };
    f.Ref0Power->setChecked(true);
    f.BasePower->setChecked(true);
    EXPECT_EQ(ticks(), std::pair(true, false)) << "the box just ticked stays ticked";
    f.Ref0Power->setChecked(true);
    EXPECT_EQ(ticks(), std::pair(false, true));
    f.Ref0Power->setChecked(false);
    EXPECT_EQ(ticks(), std::pair(false, false)) << "unticking does not tick the other";
    f.Ref0Power->click();  // as the operator does it
    f.BasePower->click();
    EXPECT_EQ(ticks(), std::pair(true, false));

    // The background option locks Remove Background until a background exists.
    const auto removeBkg = [&] { return std::pair(f.CheckRemoveBKG->isEnabled(), f.CheckRemoveBKG->isChecked()); };
    f.CheckRemoveBKG->setEnabled(true);
    f.CheckRemoveBKG->setChecked(true);
    f.TakeBackground->setChecked(true);
    EXPECT_EQ(removeBkg(), std::pair(false, false));
    f.MeasureSpectrum->setChecked(true);
    EXPECT_EQ(removeBkg(), std::pair(false, false)) << "no background stored yet";

    Module1.BackgroundTaken = 1;
    f.TakeBackground->setChecked(true);
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled());
    f.MeasureSpectrum->setChecked(true);
    EXPECT_EQ(removeBkg(), std::pair(true, false)) << "enabled, not ticked";
    options->TakeBackground_Click();  // the routines run directly do the same
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled());
    options->MeasureSpectrum_Click();
    EXPECT_TRUE(f.CheckRemoveBKG->isEnabled());
}
