// The processing options of the main window, driven as the operator drives them.

#include "app/form1.h"
#include "bench_fixture.h"
#include "measure/measure_options.h"

#include <gtest/gtest.h>

TEST(MeasureOptions, BasePowerAndRefZeroExcludeEachOther)
{
    FakeBench b;
    Form1& f = b->form1();
    f.Ref0Power->setChecked(true);
    f.BasePower->setChecked(true);
    EXPECT_TRUE(f.BasePower->isChecked()) << "the box just ticked stays ticked";
    EXPECT_FALSE(f.Ref0Power->isChecked());

    f.Ref0Power->setChecked(true);
    EXPECT_TRUE(f.Ref0Power->isChecked());
    EXPECT_FALSE(f.BasePower->isChecked());

    f.Ref0Power->setChecked(false);
    EXPECT_FALSE(f.Ref0Power->isChecked());
    EXPECT_FALSE(f.BasePower->isChecked()) << "unticking does not tick the other";

    f.Ref0Power->click();  // as the operator does it
    f.BasePower->click();
    EXPECT_TRUE(f.BasePower->isChecked());
    EXPECT_FALSE(f.Ref0Power->isChecked());
}

TEST(MeasureOptions, BackgroundOptionLocksRemoveBackgroundUntilABackgroundExists)
{
    FakeBench b;
    Form1& f = b->form1();
    f.CheckRemoveBKG->setEnabled(true);
    f.CheckRemoveBKG->setChecked(true);

    f.TakeBackground->setChecked(true);
    EXPECT_FALSE(f.CheckRemoveBKG->isChecked());
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled());

    f.MeasureSpectrum->setChecked(true);
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled()) << "no background stored yet";

    Module1.BackgroundTaken = 1;
    f.TakeBackground->setChecked(true);
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled());
    f.MeasureSpectrum->setChecked(true);
    EXPECT_TRUE(f.CheckRemoveBKG->isEnabled());
    EXPECT_FALSE(f.CheckRemoveBKG->isChecked()) << "enabled, not ticked";
}

TEST(MeasureOptions, RoutinesRunDirectlyHaveTheSameEffect)
{
    FakeBench b;
    Form1& f = b->form1();
    Module1.BackgroundTaken = 1;
    b->measureOptions().MeasureSpectrum_Click();
    EXPECT_TRUE(f.CheckRemoveBKG->isEnabled());
    b->measureOptions().TakeBackground_Click();
    EXPECT_FALSE(f.CheckRemoveBKG->isEnabled());
}
