// The details of a menu arriving after its captions: a worker looks at every target (existence,
// version, icon) with a bounded pool, and the user-interface thread receives the buttons one by
// one in their own order. Deleting the fill cancels it and waits for its worker.
#pragma once

#include "core/MenuModel.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace menu::core {

class MenuFill : public QObject {
    Q_OBJECT
  public:
    // icons may be null (no icons are read). With a cache file, targets unchanged since it was
    // written are not read again, and a fill that ends stores what it found there. The model
    // and the reader outlive the fill.
    MenuFill(const MenuModel &model, const platform::IconReader *icons, QString cacheFile = {},
             QObject *parent = nullptr);
    ~MenuFill() override;
    MenuFill(const MenuFill &) = delete;
    MenuFill &operator=(const MenuFill &) = delete;

    // Details buttons (captions known) on the worker; false when a fill already ran. known is
    // what the cache file held.
    bool start(std::vector<MenuButton> buttons, DetailCache known = {});
    // Stops looking at further targets; buttons already delivered stay; finished() does not
    // come.
    void cancel();
    bool running() const { return started_ && !finished_; }

  Q_SIGNALS:
    // Button index is detailed. Emitted in the buttons' order, on the user-interface thread.
    void buttonDetailed(int index, const menu::core::MenuButton &button);
    void finished();

  private:
    void askDelivery();
    void arrived();

    const MenuModel &model_;
    const platform::IconReader *icons_;
    QString cacheFile_;
    DetailCache known_;
    std::vector<MenuButton> buttons_; // written by the worker until a button is delivered
    std::unique_ptr<std::atomic<bool>[]> done_;
    std::size_t delivered_ = 0;
    std::atomic<bool> cancel_{false};
    bool started_ = false;
    bool finished_ = false;
    std::atomic<bool> workerEnded_{false};
    std::atomic<bool> deliveryAsked_{false};
    std::thread worker_;
};

} // namespace menu::core
