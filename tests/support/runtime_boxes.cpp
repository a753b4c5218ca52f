// Routes the window runtime's boxes to a script while the object lives.
#include "runtime_boxes.h"

#include "runtime/form_runtime.h"

namespace testing_support {

RuntimeBoxes::RuntimeBoxes()
{
    runtime::FormRuntime::SetBoxAnswerer([this](const runtime::BoxRequest& request) {
        return MsgBox(request.prompt, request.code, request.title);
    });
}

RuntimeBoxes::~RuntimeBoxes()
{
    runtime::FormRuntime::SetBoxAnswerer(nullptr);
}

}  // namespace testing_support
