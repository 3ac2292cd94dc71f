// What the web edition's page tells its program besides the host interface:
// the language the player chose on the page.
#pragma once

namespace web {

// The language chosen on the page, "zh" or "en" (remembered by the browser).
const char* PageLanguage();
// `observer` hears the page's language whenever the player changes it: it is
// told between ticks and when a box closes, so the next box speaks it.
void SetLanguageObserver(void (*observer)(const char* name));
// Tells the observer of a change since the last call.
void FollowPageLanguage();

}  // namespace web
