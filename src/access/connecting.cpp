#include "access/connecting.h"

#include "access/Domino_TLB.h"

bool ConnectToServer(TNotesSession& session, const QString& iniPath, const ConnectionSettings& settings) {
    session.Disconnect();
    try {
        session.InitializeUsingNotesUserName(settings.userName.toStdU16String(), settings.password.toStdU16String());
    } catch (const std::exception&) {
        return false;
    }
    SaveSettings(iniPath, settings);
    return true;
}
