<!-- default row 50: written with its page kind -->
