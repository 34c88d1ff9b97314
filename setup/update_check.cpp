#include "setup/update_check.h"

#include "common/profile.h"
#include "common/settings.h"
#include "platform/file_system.h"
#include "platform/http_client.h"
#include "platform/url_opener.h"
#include "setup/file_ops.h"
#include "setup/records.h"

namespace qmsetup {

namespace {

// The reply is fetched into a folder only this user can enter, made afresh,
// and read from there: nobody else can put a file in its place.
std::optional<std::string> fetch(const std::string& url)
{
    std::string temp = qm::GetTempFolder();
    if (temp.empty())
        temp = "/tmp";
    const std::string folder = qm::fs::MakePrivateFolder(temp, "qmsetup-");
    if (folder.empty())
        return std::nullopt;
    std::optional<std::string> body;
    const std::string file = folder + "/reply";
    if (qm::CurrentHttpClient().getToFile(url, file).ok())
        body = qm::fs::ReadWholeFile(file, kMaxReplyBytes);
    qm::fs::RemoveTree(folder);
    return body;
}

} // namespace

std::optional<std::string> DownloadToFile(const std::string& url, const std::string& localPath,
                                          SetupMessages& messages)
{
    std::optional<std::string> body = fetch(url);
    if (body && qm::fs::SaveFileAtomic(localPath, *body))
        return body;
    messages.message(kConnectFailedCaption, kConnectFailedText, SetupMessages::Buttons::Ok,
                     SetupMessages::Answer::Ok, SetupMessages::Icon::None);
    // An older reply must not speak for this check; a folder of that name stays.
    if (qm::fs::Stat(localPath).kind != qm::fs::FileKind::Folder)
        qm::fs::RemoveFile(localPath);
    return std::nullopt;
}

namespace {

constexpr const char* kQuestionTail =
    "\n\nPress 'Yes' if you want to close this setup and jump to the web page to get the newest "
    "version.\nPress 'No' if you want to continue installing the old version.\nPress 'Cancel' "
    "if you want to close Setup without doing anything.";

UpdateCheckOutcome compare(const std::optional<std::string>& replyText, int localBuild,
                           const std::string& head, const std::string& thisVersion,
                           const std::string& pageUrl, InstallProgress& progress)
{
    // No reply is no information: build 0, never newer.
    const qm::ProfileFile reply = qm::ProfileFile::fromText(replyText.value_or(std::string()));
    const int remoteBuild = reply.integer("Version", "VersionBuild", 0);
    const std::string remoteText = reply.text("Version", "VersionString", "<unknown version>");
    if (remoteBuild > localBuild) {
        const auto a = progress.message("Newer version available",
                                        head + "\n\n  THIS Version: " + thisVersion +
                                            "\n  NEWEST Version: " + remoteText + kQuestionTail,
                                        SetupMessages::Buttons::YesNoCancel,
                                        SetupMessages::Answer::Yes, SetupMessages::Icon::None);
        if (a == SetupMessages::Answer::Yes) {
            qm::OpenUrl(pageUrl);
            return UpdateCheckOutcome::CloseSetup;
        }
        if (a != SetupMessages::Answer::No)
            return UpdateCheckOutcome::CloseSetup;
    }
    progress.repaint();
    return UpdateCheckOutcome::Continue;
}

} // namespace

UpdateCheckOutcome CheckModuleUpdate(const std::string& webName, const std::string& version,
                                     const std::string& installDir, InstallProgress& progress,
                                     const std::string& statusPrefix, std::string* errorText)
{
    progress.setStatus(statusPrefix + "Checking for updates on the Internet...");
    progress.repaint();
    if (!MakeDirectoryPath(installDir)) {
        if (errorText)
            *errorText = "Could not create directory\n" + installDir;
        return UpdateCheckOutcome::DirectoryFailed;
    }
    const std::string base = UpdateServerBaseUrl();
    const std::string local = installDir + "/_setup.ver";
    const auto reply =
        DownloadToFile(base + "/quorman/" + webName + "/module.data", local, progress);
    return compare(reply, BuildNumberOf(version),
                   "There is a newer version of this application available on the internet. It "
                   "is recommended that you download the new version.",
                   version, base + "/cgi-bin/quorman.cgi?module=" + webName, progress);
}

UpdateCheckOutcome CheckKitUpdate(const std::string& webName, const std::string& versionText,
                                  int versionBuild, InstallProgress& progress)
{
    progress.setStatus("Checking for updates on the Internet...");
    progress.repaint();
    const std::string base = UpdateServerBaseUrl();
    std::string temp = qm::GetTempFolder();
    while (temp.size() > 1 && temp.back() == '/')
        temp.pop_back();
    const std::string local = temp + "/kit_setup.ver";
    const auto reply = DownloadToFile(base + "/quorman/" + webName + "/kit.data", local, progress);
    return compare(reply, versionBuild,
                   "There is a newer version of this kit available on the internet. It is "
                   "recommended that you download the new version.",
                   versionText, base + "/cgi-bin/quormankit.cgi?kit=" + webName, progress);
}

} // namespace qmsetup
