# Debian 12 packages, sourced by play.sh and test.sh.
BUILD_PACKAGES=(g++ make cmake ninja-build pkg-config ccache
  libsdl2-dev libsdl2-mixer-dev libjpeg62-turbo-dev libfreetype-dev libenet-dev fonts-dejavu-core)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils
  desktop-file-utils appstream dpkg-dev man-db)
