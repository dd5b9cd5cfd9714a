#include "results/results_window_host.h"

#include "results/form2.h"

ResultsWindowHost::ResultsWindowHost(QWidget& owner) : owner_(owner) {}

ResultsWindowHost::~ResultsWindowHost() { unload(); }

Form2& ResultsWindowHost::form2()
{
    if (!form2_) {
        form2_ = new Form2(&owner_);
        form2_->setAttribute(Qt::WA_DeleteOnClose);
        emit windowLoaded(*form2_);
    }
    return *form2_;
}

void ResultsWindowHost::unload()
{
    delete form2_.data();
    form2_ = nullptr;
}

void ResultsWindowHost::unloadLater()
{
    if (!form2_) return;
    form2_->hide();
    form2_->deleteLater();
    form2_ = nullptr;
}
