#pragma once

#include <QString>

// The application's side of the frame's commands: what the frame, its view
// and its document do not handle goes here (About, New, Open), and so do
// files dropped on the frame.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    // True when the command was handled.
    virtual bool OnCommand(int command) = 0;
    virtual bool OpenDocumentFile(const QString& path) = 0;
};
