#include "resources/FragmentProgram.h"

#include "tests/support/HeadlessGL.h"

#include <cstdlib>

namespace {

// Mesa leaves out of the extension string every extension newer than this
// year (the fragment program one is from 2002). It reads the setting once per
// process, before the first context, so this case needs an executable of its
// own.
const bool kExtensionHidden = setenv("MESA_EXTENSION_MAX_YEAR", "2001", 1) == 0;

using FragmentProgramUnsupportedTest = GLTest;

TEST_F(FragmentProgramUnsupportedTest, InitFailsAndNothingIsLoaded)
{
    ASSERT_TRUE(kExtensionHidden);
    ASSERT_FALSE(FragmentProgram::ExtensionSupported("GL_ARB_fragment_program"));

    FragmentProgram program;
    EXPECT_FALSE(program.Init());
    EXPECT_FALSE(program.LoadFromResource(0, "tint"));
    EXPECT_EQ(program.ProgramName(0), 0u);
    program.Enable();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
