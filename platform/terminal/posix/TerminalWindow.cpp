#include "platform/terminal/posix/TerminalWindow.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <iostream>

#include "platform/System.h"

namespace {

constexpr int kMinimumColumns = 80;
constexpr int kMinimumRows = 25;
constexpr int kMinimumCell = 4;
constexpr int kMaximumCell = 200;
constexpr int kMaximumWindow = 16384;

// The pixels of one character cell, or 0 when the numbers cannot be a cell's.
int CellSize(int pixels, int characters) {
    if (characters <= 0 || !IsCoordinate(pixels)) {
        return 0;
    }
    const int cell = pixels / characters;
    return cell >= kMinimumCell && cell <= kMaximumCell ? cell : 0;
}

}  // namespace

void cTerminalWindow::MeasureTextArea() {
    winsize size{};
    if (ioctl(1, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        m_columns = size.ws_col;
        m_rows = size.ws_row;
        SetCell(size.ws_xpixel, size.ws_ypixel);
    }
}

void cTerminalWindow::Learn(const cTerminalReplies* replies) {
    if (replies != nullptr) {
        if (replies->positionSeen && IsCoordinate(replies->x) && IsCoordinate(replies->y)) {
            m_positionReported = true;
            m_startAnswerUnused = true;
            m_window.left = replies->x;
            m_window.top = replies->y;
            m_start = m_window;
        }
        if (replies->sizeSeen) {
            SetCell(replies->width, replies->height);
        }
    }
    m_width = m_cellWidth * m_columns;
    m_height = m_cellHeight * m_rows;
}

bool cTerminalWindow::GetWindowRect(cWindowRect& rect) {
    if (!m_positionReported) {
        return false;
    }
    if (m_startAnswerUnused) {
        m_startAnswerUnused = false;
    } else if (!m_questions.AskPositionAfterMove(m_window.left, m_window.top)) {
        return false;
    }
    rect = m_window;
    rect.right = rect.left + m_width;
    rect.bottom = rect.top + m_height;
    return true;
}

void cTerminalWindow::MoveWindow(const cWindowRect& rect) {
    if (m_positionReported) {
        m_questions.LearnFrame(m_window.left, m_window.top);
    }
    MoveCorner(rect);
    SetWindowSize(rect.right - rect.left, rect.bottom - rect.top);
}

void cTerminalWindow::SetWindowSize(int width, int height) {
    if (m_cellWidth > 0 && m_cellHeight > 0) {
        // Never so small that the banner or a picture would wrap.
        width = std::min(std::max(width, kMinimumColumns * m_cellWidth), kMaximumWindow);
        height = std::min(std::max(height, kMinimumRows * m_cellHeight), kMaximumWindow);
        if (width != m_width || height != m_height) {
            std::cout << "\x1b[4;" << height << ';' << width << 't';
            m_width = width;
            m_height = height;
            m_resized = true;
        }
    } else if (!m_resized && m_columns > 0 && m_rows > 0 &&
               (m_columns < kMinimumColumns || m_rows < kMinimumRows)) {
        // Pixels mean nothing without the size of a character: ask in characters.
        std::cout << "\x1b[8;" << std::max(m_rows, kMinimumRows) << ';'
                  << std::max(m_columns, kMinimumColumns) << 't';
        m_resized = true;
    }
    Sys_FlushOutput();
}

void cTerminalWindow::Restore() {
    if (m_resized && m_columns > 0 && m_rows > 0) {
        std::cout << "\x1b[8;" << m_rows << ';' << m_columns << 't';
        m_resized = false;
        m_width = m_cellWidth * m_columns;
        m_height = m_cellHeight * m_rows;
    }
    MoveCorner(m_start);
}

void cTerminalWindow::MoveCorner(const cWindowRect& rect) {
    if (!m_positionReported || (rect.left == m_window.left && rect.top == m_window.top)) {
        return;
    }
    m_questions.Move(rect.left, rect.top);
    m_window.left = rect.left;
    m_window.top = rect.top;
}

void cTerminalWindow::SetCell(int width, int height) {
    const int cellWidth = CellSize(width, m_columns);
    const int cellHeight = CellSize(height, m_rows);
    const bool believable = cellWidth > 0 && cellHeight > 0;
    m_cellWidth = believable ? cellWidth : 0;
    m_cellHeight = believable ? cellHeight : 0;
}
