// What the web edition's page tells its program besides input: the language
// the player chose on the page, the gamepad as the page reads it, and when
// the pictures are all there.
#pragma once

namespace web {

// The language chosen on the page, "zh" or "en" (remembered by the browser).
const char* PageLanguage();
// `observer` hears the page's language whenever the player changes it: it is
// told between ticks and when a box closes, so the next box speaks it.
void SetLanguageObserver(void (*observer)(const char* name));
// Tells the observer of a change since the last call.
void FollowPageLanguage();

// Reads the driving gamepad as the page saw it at this animation frame and
// holds the keys the desktop's layout gives it; the page queues Start and
// Back as commands.
void FollowPad();
// The key-down a command of the pad gives (P for Start, H for Back), or 0.
int PadCommandKey(int padButton);

// The page hands the game its pictures' sizes at start and their pixels
// later (from the call on): true once every picture is filled in.
void UsePagePictures();
bool PicturesReady();
// Waits (the browser runs meanwhile) until PicturesReady; nothing draws
// from a picture before.
void WaitForPictures();

}  // namespace web
