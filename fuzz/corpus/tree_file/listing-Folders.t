:\Docs
