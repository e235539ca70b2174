#include "views/app.h"

#include <memory>

namespace lumaset {

namespace {
std::unique_ptr<App>& appSlot() {
    static std::unique_ptr<App> instance = std::make_unique<App>();
    return instance;
}
}  // namespace

App& app() { return *appSlot(); }

void resetApp() { appSlot() = std::make_unique<App>(); }

}  // namespace lumaset
