// Routes the window runtime's boxes to a script while the object lives.
#include "runtime_boxes.h"

#include "runtime/form_runtime.h"

namespace testing_support {

RuntimeBoxes::RuntimeBoxes()
{
    screen::FormRuntime::SetBoxAnswerer([this](const screen::BoxRequest& request) {
        return MsgBox(request.prompt, request.code, request.title);
    });
}

RuntimeBoxes::~RuntimeBoxes()
{
    screen::FormRuntime::SetBoxAnswerer(nullptr);
}

}  // namespace testing_support
