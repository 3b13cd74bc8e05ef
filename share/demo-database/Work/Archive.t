:\old
