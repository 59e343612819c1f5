// Saving over a document never loses it: a write that fails after any number
// of bytes, and a process killed in the middle of saving, leave either the
// previous file or the new one, whole and readable.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "data/document_file.h"

namespace vextal {
namespace {

namespace fs = std::filesystem;

const NumberSettings Point{'.', ','};

DataDocument Filled(int rows, long double offset) {
    DataDocument document = NewDocument();
    document.Table.DocumentTitle = "Sample " + std::to_string(static_cast<int>(offset));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < DataColumnCount; ++column)
            SetValue(document.Table, row, column, offset + row * 0.001L + column / 7.0L);
    document.NotesText = "Notes of the sample";
    return document;
}

class SaveFailures : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vextal-save-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        path_ = (folder_ / "data.vxd").string();
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The file opens as a document and holds exactly `text`.
    void ExpectFileHolds(const std::string& text) const {
        ASSERT_EQ(Contents(), text);
        DataDocument opened;
        ASSERT_TRUE(OpenDocumentFile(opened, path_, Point).Loaded);
        ASSERT_EQ(DocumentFileText(opened), text);
    }
    int FilesInFolder() const {
        return static_cast<int>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
    std::string path_;
};

// The file size limit makes every write past `bytes` fail, as a full disk
// does; SIGXFSZ is ignored so that the write returns the error.
int SaveWithSizeLimit(const DataDocument& document, const std::string& path, rlim_t bytes) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    const int code = SaveDocument(document, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    return code;
}

TEST_F(SaveFailures, AWriteFailingAfterAnyNumberOfBytesKeepsThePreviousFile) {
    const DataDocument previous = Filled(20, 1);
    ASSERT_EQ(SaveDocument(previous, path_), 0);
    const std::string previousText = DocumentFileText(previous);

    const DataDocument next = Filled(60, 2);
    const std::string nextText = DocumentFileText(next);
    ASSERT_GT(nextText.size(), previousText.size());
    const std::size_t step = nextText.size() / 150 + 1;
    for (std::size_t bytes = 0; bytes < nextText.size(); bytes += step) {
        SCOPED_TRACE(bytes);
        ASSERT_EQ(SaveWithSizeLimit(next, path_, bytes), IoDiskFull);
        ExpectFileHolds(previousText);
        ASSERT_EQ(FilesInFolder(), 1) << "the partial file is removed";
    }
    ASSERT_EQ(SaveWithSizeLimit(next, path_, nextText.size() - 1), IoDiskFull);
    ExpectFileHolds(previousText);
    ASSERT_EQ(SaveWithSizeLimit(next, path_, nextText.size()), 0) << "the limit is exactly the file";
    ExpectFileHolds(nextText);
}

TEST_F(SaveFailures, KillingASavingProcessLeavesAWholeFile) {
    const DataDocument first = Filled(300, 1);
    const DataDocument second = Filled(280, 2);
    const std::string firstText = DocumentFileText(first);
    const std::string secondText = DocumentFileText(second);
    ASSERT_EQ(SaveDocument(first, path_), 0);

    std::mt19937 random(1515);
    int sawFirst = 0, sawSecond = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves the two documents in turn until it is killed.
            for (int i = 0;; ++i) SaveDocument(i % 2 == 0 ? second : first, path_);
        }
        usleep(1000 + random() % 40000);
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string text = Contents();
        ASSERT_TRUE(text == firstText || text == secondText) << "a file of " << text.size() << " bytes";
        ExpectFileHolds(text);
        (text == firstText ? sawFirst : sawSecond)++;
        // A killed save may leave its hidden temporary file, never a changed document.
        for (const auto& entry : fs::directory_iterator(folder_))
            if (entry.path() != fs::path(path_)) {
                ASSERT_EQ(entry.path().filename().string().rfind(".vextal-save-", 0), 0u);
                fs::remove(entry.path());
            }
    }
    EXPECT_GT(sawFirst + sawSecond, 0);
}

}  // namespace
}  // namespace vextal
