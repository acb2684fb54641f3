#include "app/core/MainMenuLink.h"

namespace vellumora {

namespace {
MainMenuLink* mainMenuLink = nullptr;
}

void SetMainMenuLink(MainMenuLink* link) { mainMenuLink = link; }
MainMenuLink* MainMenu() { return mainMenuLink; }

} // namespace vellumora
