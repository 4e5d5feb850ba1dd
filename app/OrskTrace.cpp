// OrskTrace: the ORSK Trace Window program. Creates the trace window, runs the message loop
// until the window is closed, and ends with exit code 0.

#include <windows.h>

#include <memory>

#include "app/Application.h"
#include "window/OrskTraceFrm.h"

// The one trace window of the program.
orsk::TOrskTraceForm* OrskTraceForm = nullptr;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    orsk::Application application(instance);
    try {
        auto form = std::make_unique<orsk::TOrskTraceForm>(application);
        OrskTraceForm = form.get();
        application.SetMainWindow(form->Handle());
        application.SetMessageFilter(
            [&form](const MSG& message) { return form->PreTranslateMessage(message); });
        application.OnFormatsChanged(
            [&form](const orsk::RegionalFormats& formats) { form->SetRegionalFormats(formats); });
        const int exitCode = application.Run(showCommand);
        OrskTraceForm = nullptr;
        return exitCode;
    } catch (...) {
        application.ShowCurrentException();
        return 1;
    }
}
