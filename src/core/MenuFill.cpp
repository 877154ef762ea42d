#include "core/MenuFill.h"

#include <QMetaObject>

namespace menu::core {

MenuFill::MenuFill(const MenuModel &model, const platform::IconReader *icons, QString cacheFile,
                   QObject *parent)
    : QObject(parent), model_(model), icons_(icons), cacheFile_(std::move(cacheFile))
{
}

MenuFill::~MenuFill()
{
    cancel();
    if (worker_.joinable())
        worker_.join();
}

bool MenuFill::start(std::vector<MenuButton> buttons, DetailCache known)
{
    if (started_)
        return false;
    started_ = true;
    buttons_ = std::move(buttons);
    known_ = std::move(known);
    done_.reset(new std::atomic<bool>[buttons_.size()]);
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        done_[i] = false;
    const auto work = [this] {
        DetailCache learnt;
        model_.detailAll(buttons_, {icons_, &known_, &learnt}, &cancel_, [this](std::size_t index) {
            done_[index] = true;
            // One delivery at a time is asked for, and it takes every button done by then: a
            // wake of the user-interface thread per button costs more than the button.
            if (!deliveryAsked_.exchange(true))
                askDelivery();
        });
        // Only a whole build replaces the cache: a cancelled one knows too little.
        if (!cancel_ && !cacheFile_.isEmpty())
            learnt.save(cacheFile_);
        workerEnded_ = true;
        askDelivery();
    };
    try {
        worker_ = std::thread(work);
    } catch (...) {
        work(); // no thread to be had: the same work, here
    }
    return true;
}

void MenuFill::cancel()
{
    cancel_ = true;
}

void MenuFill::askDelivery()
{
    // Queued to this object: nothing arrives once it is gone.
    QMetaObject::invokeMethod(
        this, [this] { arrived(); }, Qt::QueuedConnection);
}

void MenuFill::arrived()
{
    if (cancel_ || finished_)
        return;
    // Cleared before looking: a button done from here on asks again.
    deliveryAsked_ = false;
    // In the buttons' order: a button waits for those before it.
    while (delivered_ < buttons_.size() && done_[delivered_]) {
        const std::size_t index = delivered_++;
        Q_EMIT buttonDetailed(static_cast<int>(index), buttons_[index]);
        if (cancel_)
            return; // a receiver cancelled the fill
    }
    if (delivered_ == buttons_.size() && workerEnded_) {
        finished_ = true;
        Q_EMIT finished();
    }
}

} // namespace menu::core
