#pragma once
// One open file: a plain file in a folder, or an entry read straight out of an archive.
//
// Writes through a folder never touch the target until the file is closed complete: the
// bytes go to a temporary file beside the target ("<name>.tmp-XXXXXX"), which is flushed
// to the disk (fsync) and renamed over the target by Close. A failed write makes Close
// return false, removes the temporary file and keeps the old target as it was. Append
// mode copies the old content into the temporary file first, so it follows the same rule.
// A writing CFile destroyed without Close (a write interrupted before it was finished)
// also discards its temporary file: only a complete Close replaces the target.
// Only regular files are opened for reading: a FIFO, a device or a folder is refused.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum EFileMode : int32_t {
    kFileRead = 0,
    kFileWrite = 1,      // created or emptied
    kFileAppend = 2,     // created if missing, writes go to the end
    kFileWriteNew = 3,   // as kFileWrite
};

class CFile {
public:
    CFile();
    virtual ~CFile();

    // Flushes and closes. For a file opened for writing, false when the data did not
    // all reach the disk; the old file then stays as it was.
    virtual bool Close();
    virtual bool IsEof() const;
    // Position in the underlying file (not relative to the start offset); -1 on failure.
    virtual int32_t Tell();
    virtual bool IsValid() const { return true; }
    virtual bool Open(const std::string& path, int32_t mode);
    // True only if all count bytes were read.
    virtual bool Read(void* buffer, uint32_t count);
    // Reads up to a line feed (consumed, not stored), at most capacity - 1 characters,
    // then cuts the text at its first CR or LF. False for a last line without a line
    // feed and for a line longer than capacity - 1 characters.
    virtual bool ReadLine(char* buffer, uint32_t capacity);
    virtual void Rewind();
    virtual void Skip(int32_t count);
    virtual void SetSize(uint32_t size);
    virtual void SetStartOffset(uint32_t offset);
    // The cached size, measured once without moving the position.
    virtual uint32_t GetSize();
    virtual bool Write(const void* buffer, uint32_t count);

    // The file from its start into out: all of it, or its first limit bytes. False, with
    // out empty, when those bytes could not all be read.
    bool ReadAll(std::vector<uint8_t>& out, uint32_t limit = UINT32_MAX);

    bool IsOpen() const { return m_stream != nullptr; }
    // The system's error number of the last failed open, write or close; 0 when none.
    int LastError() const { return m_error; }
    // The path a writing file replaces on Close; empty for a file opened for reading.
    const std::string& TargetName() const { return m_targetPath; }
    bool IsWriting() const { return !m_tempPath.empty(); }

protected:
    // Removes the temporary file of an unfinished write and closes the stream.
    void DiscardWrite();
    bool OpenForWriting(const std::string& path, bool keepContent);

    FILE* m_stream = nullptr;
    bool m_failed = false;
    bool m_eof = false;
    int m_error = 0;
    bool m_sizeKnown = false;
    uint32_t m_size = 0;
    uint32_t m_startOffset = 0;
    // Writing: the temporary file that replaces m_targetPath on a complete Close.
    std::string m_targetPath;
    std::string m_tempPath;
};

// Plain paths outside the mounted file systems (the asset baker, screenshots). The read
// takes the whole file; the write replaces path whole, as every CFile write does.
bool ReadFileAtPath(const std::string& path, std::vector<uint8_t>& out);
bool WriteFileAtPath(const std::string& path, const void* bytes, size_t size);
