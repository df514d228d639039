// FileOps: the Windows file-system layer.
