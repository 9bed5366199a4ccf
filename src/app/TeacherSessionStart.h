#pragma once

#include <QString>
#include <memory>
#include <string>

#include "catalogue/MemberInfoRec.h"
#include "service/GbkText.h"

class TFmMain;
class TstudyDM;

// What follows an accepted sign-in in the login dialog: the main window is opened (in the
// entry's slot, unless it is already there) and given the member, the catalogues that do not
// depend on a book are loaded, and the member's user type decides: pupils and parents (30, 50)
// are refused, teachers (55, 100) get their teacher setting and the account server hears of the
// sign-in, any other type keeps the window without a setting.
//
// A refusal or a teacher without setting requests the end of the program; the caller carries it
// out once its own handler is done (endRequested()). The main window stays owned by the entry's
// slot; the data module must outlive this object. Blocking, window thread only.
class TeacherSessionStart {
public:
    TeacherSessionStart(TstudyDM& dm, std::unique_ptr<TFmMain>& fmMain);

    // `account` is the account text as typed in the dialog. A start while another one runs (from
    // input handled during its loading) is ignored. Raises ConvertError when the
    // member's TypeId is not a decimal number (the window and its catalogues stay) and
    // XmlParseError when a teacher setting reply cannot be read; every other failure is shown
    // where it happens and the session goes on.
    //
    // Offline (the service could not be reached at sign-in), the window starts offline with the
    // member kept from the last sign-in, its catalogues come from the kept replies, and the
    // teacher setting and the account server are not asked.
    enum class Mode { Online, Offline };
    void Run(const MemberInfoRec& member, const GbkString& account, Mode mode = Mode::Online);

    bool endRequested() const { return endRequested_; }

private:
    void NotifyAccountServer(const GbkString& account);

    TstudyDM& dm_;
    std::unique_ptr<TFmMain>& fmMain_;
    bool endRequested_ = false;
    // One start at a time in the process (window thread only).
    static bool running_;
};
