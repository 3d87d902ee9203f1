#pragma once



// What a screen reader learns of the display controls: the signal bars are
// a chart whose description gives each measured channel's figures, the clock
// a text named "Clock" described by the time it shows. Installed once per process, with
// the controls' window classes.
void InstallControlAccessibility();
