// Routes the window runtime's boxes to a script while the object lives.
#pragma once

#include "scripted_boxes.h"

namespace testing_support {

class RuntimeBoxes : public ScriptedBoxes {
public:
    RuntimeBoxes();
    ~RuntimeBoxes() override;
};

}  // namespace testing_support
