// Unsaved text read in place of a file: the readers see the editor's text
// under the file's own name, and the disk again once the text is withdrawn.
#include <filesystem>
#include <string>

#include "Mdd.h"
#include "Mss.h"
#include "ParseMdd.h"
#include "ParseMss.h"
#include "UnsavedText.h"
#include "test_mdd_support.h"

namespace TavSoftware {
namespace {

class UnsavedTextTest : public tavtest::ScratchTest {};

TEST_F(UnsavedTextTest, ReadersSeeTheTextUnderTheFilesNameAndLines) {
  const std::string path = dir.Write("sys.mss", "BEGIN OS\n PARAMETER OS_NAME = rtos\nEND\n");
  {
    UnsavedText unsaved(path, "BEGIN OS\n PARAMETER OS_NAME = rtos\r\n\nBEGIN DRIVER\nEND\nBOGUS\n");
    Mss mss;
    EXPECT_LT(0, ParseMss::Parse(path, &mss));
    const auto errors = msgs.Texts(MsgSeverity::kError);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(0u, errors[0].rfind(path + " line ", 0)) << errors[0];
    EXPECT_EQ(0, mss.GetDateTime());  // not the disk file's stamp
  }
  msgs.Clear();
  Mss mss;
  EXPECT_EQ(0, ParseMss::Parse(path, &mss));  // the disk again
  EXPECT_TRUE(msgs.Texts(MsgSeverity::kError).empty());
  EXPECT_NE(0, mss.GetDateTime());
}

TEST_F(UnsavedTextTest, NamesMatchByPathAndTheNewestWins) {
  const std::string path = dir.Write("a.mss", "");
  const std::string other = (std::filesystem::path(path).parent_path() / "." / "a.mss").string();
  UnsavedText first(other, "PARAMETER VERSION = 2.2.0\n");
  UnsavedText second(other, "PARAMETER VERSION = 2.2.0\nPARAMETER OTHER = 1\n");
  Mss mss;
  ASSERT_EQ(0, ParseMss::Parse(path, &mss));
  EXPECT_EQ(2u, mss.GetPsfCompSeqRef(Mss::PARAMETERS).size());
  EXPECT_EQ(path, mss.GetFileNameStr());
}

TEST_F(UnsavedTextTest, AFileThatDoesNotExistIsReadFromItsText) {
  const std::string path = dir / "never.mdd";
  {
    UnsavedText unsaved(path, "OPTION psf_version = 2.1;\nBEGIN driver d\nEND driver\n");
    Mdd mdd;
    EXPECT_EQ(0, ParseMdd::Parse(path, &mdd));
  }
  Mdd mdd;
  EXPECT_EQ(2, ParseMdd::Parse(path, &mdd));
  EXPECT_EQ("Cannot open file \"" + path + "\" for reading\n",
            msgs.Texts(MsgSeverity::kError).back());
}

}  // namespace
}  // namespace TavSoftware
