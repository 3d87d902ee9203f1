#pragma once

class CMainFrame;
class QString;

// A short unattended demonstration for a first try without a screen: a Get,
// a few seconds of channel scan, a picture of the window saved to
// `screenshotPath` (its path printed on stdout), then the window closes.
void StartDemo(CMainFrame& frame, const QString& screenshotPath);
