// OrskTrace: the ORSK Trace Window program. Creates the trace window, runs the message loop
// until the window is closed, and ends with exit code 0.

#include <windows.h>

#include <optional>

#include "app/Application.h"
#include "window/OrskTraceFrm.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    std::optional<orsk::Application> application;
    try {
        application.emplace(instance);
        orsk::TOrskTraceForm form(*application);
        // Ends before the form does: no callback outlives it.
        const orsk::Application::MainWindowScope mainWindow(
            *application,
            {form.Handle(),
             [&form](const MSG& message) { return form.PreTranslateMessage(message); },
             [&form](const orsk::RegionalFormats& formats) { form.SetRegionalFormats(formats); }});
        return application->Run(showCommand);
    } catch (...) {
        if (application) {
            application->ShowCurrentException();
        } else {
            orsk::ShowStartupFailure(std::current_exception());
        }
        return 1;
    }
}
