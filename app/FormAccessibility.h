#pragma once

class QWidget;

// Makes the group setup form readable by a screen reader and usable from the
// keyboard, its visible captions left as they are: each edit gets the plain
// name of its setting (the captions carry ranges and odd spacing), the
// buttons and the status lines say what they are, the captions become the
// edits' labels, and Tab goes Get, name, channel, key, Set, scan, then the
// signal bars and the clock.
void MakeFormAccessible(QWidget& form);
